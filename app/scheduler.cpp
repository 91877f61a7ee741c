#include "app/scheduler.h"

#include "base/numbers.h"
#include "base/text.h"

namespace {

// Whole minutes from the last counted moment to now. A tick up to
// kEarlyTickMs early still completes its minute; the part of a minute left
// over is kept for the next tick, so ticks that come bunched (one late, the
// next early) count no more minutes than have passed.
uint64_t MinutesPassed(ScheduleClock& clock, uint64_t now) {
    if (now < clock.countedTo)
        return 0;
    uint64_t passed = (now - clock.countedTo + kEarlyTickMs) / kMinuteMs;
    clock.countedTo += passed * kMinuteMs;
    if (clock.countedTo > now)
        clock.countedTo = now;
    return passed;
}

TickOutcome Finish(ScheduleClock& clock, uint64_t now, uint32_t error, ILaunchHost& host) {
    host.SetTrayState(TrayState::Waiting);
    if (error == 0)
        return {TickResult::Launched, 0};
    // Once only: a retry that fails waits for the next interval. A retry
    // that no usable tick reaches soon after goes: hours later it would be a
    // start outside the schedule.
    clock.retryDue = clock.mayRetry;
    clock.retryBy = now + kWakeRetryMs;
    return {TickResult::Failed, error, clock.retryDue};
}

} // namespace

void StartSchedule(int16_t& tickCounter, ScheduleClock& clock, uint64_t now) {
    tickCounter = 1;
    clock = ScheduleClock{};
    clock.countedTo = now;
    clock.lastTick = now;
}

TickOutcome OnTick(int16_t& tickCounter, ScheduleClock& clock, uint64_t now,
                   std::wstring_view minutesText, const std::wstring& programText,
                   wchar_t decimalSeparator, ILaunchHost& host) {
    if (now > clock.lastTick && now - clock.lastTick > kSleepGapMs)
        clock.retryUntil = now + kWakeRetryMs;
    clock.lastTick = now;

    std::optional<int> minutes = WholeMinutes(minutesText, decimalSeparator);
    if (!minutes) {
        // Time that passes while the value is unusable is not counted; a
        // retry due stays due.
        clock.countedTo = now;
        return {TickResult::Skipped, 0};
    }
    bool retry = clock.retryDue && now <= clock.retryBy;
    clock.retryDue = false;
    // Minutes since the last start; wide enough for weeks asleep.
    uint64_t before = tickCounter > 1 ? static_cast<uint64_t>(tickCounter - 1) : 0;
    uint64_t counted = before + MinutesPassed(clock, now);
    if (counted < static_cast<uint64_t>(*minutes) && !retry) {
        // Below minutes <= 32767, so the counter cannot overflow.
        tickCounter = static_cast<int16_t>(counted + 1);
        return {TickResult::Counted, 0};
    }

    tickCounter = 1;
    if (IsBlankText(programText))
        return {TickResult::NoProgram, 0};

    if (clock.starting)
        return {TickResult::Busy, 0};

    host.SetTrayState(TrayState::Running);
    if (host.Leaving())
        return {TickResult::Ended, 0};
    clock.mayRetry = !retry && now <= clock.retryUntil;
    uint32_t error = host.BeginStart(programText);
    if (error != 0)
        return Finish(clock, now, error, host);
    clock.starting = true;
    return {TickResult::Started, 0};
}

TickOutcome OnStartOutcome(ScheduleClock& clock, uint64_t now, uint32_t error, ILaunchHost& host) {
    bool expected = clock.starting;
    clock.starting = false;
    if (!expected || host.Leaving())
        return {TickResult::Ended, 0};
    return Finish(clock, now, error, host);
}
