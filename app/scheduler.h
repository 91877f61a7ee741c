// The once-a-minute decision: count on, or start the program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/tray_state.h"

// What a launch needs from the rest of the program.
class ILaunchHost {
public:
    virtual ~ILaunchHost() = default;
    virtual void SetTrayState(TrayState state) = 0;
    // Hands the program text to a start off the UI thread, which may wait on
    // the network; its outcome comes back through OnStartOutcome. 0 when
    // handed over, else the system's error code.
    virtual uint32_t BeginStart(const std::wstring& programText) = 0;
    // True once a way out has begun: the tray call may have let the session's
    // end run in the middle of the tick.
    virtual bool Leaving() = 0;
};

enum class TickResult {
    Skipped,   // the minutes text is not a usable whole number: nothing changed
    Counted,   // not due yet: the minutes that passed were counted
    NoProgram, // due, but the program text is empty: the counter restarts
    Started,   // due, and the start is under way: its outcome comes later
    Busy,      // due while the last start still waits: dropped, the counter restarts
    Launched,  // the program was started
    Failed,    // the start failed: the counter restarted all the same
    Ended,     // the program was ending by then: nothing started, nothing changed
};

struct TickOutcome {
    TickResult result;
    uint32_t error;        // the system's code when result is Failed
    bool retrying = false; // Failed just after waking: tried again at the next tick
};

// Minutes are counted on a clock of milliseconds that runs on while the
// machine sleeps and never jumps with the time of day (GetTickCount64). No
// tick comes during a sleep, so the first one after it counts the minutes slept.
constexpr uint64_t kMinuteMs = 60000;
// A timer tick may come a little before its minute is full.
constexpr uint64_t kEarlyTickMs = 1000;
// A tick this long after the one before follows a sleep (or a stalled thread).
constexpr uint64_t kSleepGapMs = 90000;
// A start that fails this soon after waking finds a network drive not back
// yet, perhaps: it is tried again at the next tick.
constexpr uint64_t kWakeRetryMs = 120000;

struct ScheduleClock {
    uint64_t countedTo = 0;  // minutes are counted up to this moment
    uint64_t lastTick = 0;   // the previous tick, or the start
    uint64_t retryUntil = 0; // a failed start until then is tried again once
    bool retryDue = false;   // try the start again at the next tick...
    uint64_t retryBy = 0;    // ...if it comes by then
    bool starting = false;   // a start is under way, its outcome not back
    bool mayRetry = false;   // that start, failing, is tried again
};

// The schedule starts now: the counter at 1, nothing counted yet.
void StartSchedule(int16_t& tickCounter, ScheduleClock& clock, uint64_t now);

// One tick of Timer1 at the clock's now. The counter holds one more than the
// minutes counted since the last start; the program is due once those reach
// the minutes value. So "5" starts it 5, 10, 15 ... minutes after start-up
// while the machine stays awake; a start that fell due during a sleep comes
// once, at the first tick after it, and the next interval counts from there.
// Lowering the value below the count starts it at the next tick. One start
// at a time: one that falls due while the last still waits is dropped, and
// the next comes an interval later.
TickOutcome OnTick(int16_t& tickCounter, ScheduleClock& clock, uint64_t now,
                   std::wstring_view minutesText, const std::wstring& programText,
                   wchar_t decimalSeparator, ILaunchHost& host);

// The outcome of the start under way (0, or the system's error code), back on
// the UI thread at the clock's now: the tray shows Waiting again. Nothing
// changes once a way out has begun.
TickOutcome OnStartOutcome(ScheduleClock& clock, uint64_t now, uint32_t error, ILaunchHost& host);
