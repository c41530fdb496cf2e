#pragma once
// Asking the system to power the computer off, behind an interface so that the countdown can
// be exercised with a recording stand-in: nothing but the real program may ever ask for real.

class PowerOffRequest {
public:
    virtual ~PowerOffRequest() = default;

    // Asks for the power-off; returns whether the system accepted the request. A refusal
    // leaves the computer on and is not reported to the user.
    virtual bool ShutDownPC() = 0;
};
