// The once-a-minute decision: count on, or start the program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class TrayState { Waiting, Running };

// What a launch needs from the rest of the program.
class ILaunchHost {
public:
    virtual ~ILaunchHost() = default;
    virtual void SetTrayState(TrayState state) = 0;
    // Starts the program text hidden without waiting; 0 on success, else the
    // system's error code.
    virtual uint32_t StartHidden(const std::wstring& programText) = 0;
};

enum class TickResult {
    Skipped,   // the minutes text is not a usable whole number: nothing changed
    Counted,   // not due yet: the counter went up by one
    NoProgram, // due, but the program text is empty: the counter restarts
    Launched,  // due, and the program was started
    Failed,    // due, and the start failed: the counter restarts all the same
};

struct TickOutcome {
    TickResult result;
    uint32_t error; // the system's code when result is Failed
};

// One tick of Timer1. A tick is due once the counter has reached the minutes
// value, so "5" starts the program 5, 10, 15 ... minutes after start-up, and
// lowering the value below the count starts it at the next tick rather than
// never again.
TickOutcome OnTick(int16_t& tickCounter, std::wstring_view minutesText,
                   const std::wstring& programText, wchar_t decimalSeparator, ILaunchHost& host);
