#pragma once
// The power-off request through systemd-logind on D-Bus.

#include "power/power_off_request.h"

#include <QDBusConnection>

class LogindPowerOff : public PowerOffRequest {
public:
    // A hung bus must not freeze the countdown window for long, so every call gives up after
    // this much time and counts as refused.
    static constexpr int kCallTimeoutMs = 3000;

    // The program passes QDBusConnection::systemBus(); any other bus serves for trying it out.
    explicit LogindPowerOff(QDBusConnection bus, int callTimeoutMs = kCallTimeoutMs);

    // Powers off only when logind's CanPowerOff answers exactly "yes"; then PowerOff without
    // interactive authorisation. No bus, no logind, an error or any other answer: false.
    bool ShutDownPC() override;

private:
    QDBusConnection m_bus;
    int m_callTimeoutMs;
};
