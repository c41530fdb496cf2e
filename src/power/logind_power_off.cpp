#include "power/logind_power_off.h"

#include <QDBusMessage>
#include <QMetaType>
#include <QString>
#include <QVariant>

namespace {
const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
} // namespace

LogindPowerOff::LogindPowerOff(QDBusConnection bus, int callTimeoutMs)
    : m_bus(std::move(bus)), m_callTimeoutMs(callTimeoutMs) {}

bool LogindPowerOff::ShutDownPC() {
    if (!m_bus.isConnected()) {
        return false;
    }

    // "challenge" (authorisation needed), "no" and "na" all mean this user cannot power off
    // without asking for a password, which nobody would answer at the end of a batch.
    const QDBusMessage canCall =
        QDBusMessage::createMethodCall(kService, kPath, kManager, QStringLiteral("CanPowerOff"));
    const QDBusMessage canReply = m_bus.call(canCall, QDBus::Block, m_callTimeoutMs);
    if (canReply.type() != QDBusMessage::ReplyMessage || canReply.arguments().size() != 1) {
        return false;
    }
    const QVariant answer = canReply.arguments().constFirst();
    if (answer.metaType() != QMetaType::fromType<QString>() ||
        answer.toString() != QStringLiteral("yes")) {
        return false;
    }

    // interactive = false: logind must not start a password prompt on our behalf.
    QDBusMessage offCall =
        QDBusMessage::createMethodCall(kService, kPath, kManager, QStringLiteral("PowerOff"));
    offCall << false;
    const QDBusMessage offReply = m_bus.call(offCall, QDBus::Block, m_callTimeoutMs);
    return offReply.type() == QDBusMessage::ReplyMessage;
}
