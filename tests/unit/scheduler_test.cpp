#include "app/scheduler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records what a launch does, in order; keeps the schedule's clock.
class FakeHost : public ILaunchHost {
public:
    void SetTrayState(TrayState state) override {
        events.push_back(state == TrayState::Running ? "running" : "waiting");
    }
    uint32_t BeginStart(const std::wstring& programText) override {
        events.push_back("start");
        started.push_back(programText);
        return 0;
    }
    bool Leaving() override { return leaving; }
    std::vector<std::string> events;
    std::vector<std::wstring> started;
    uint32_t failWith = 0;
    bool leaving = false;
    bool holdStarts = false; // else a start's outcome comes back within its tick
    ScheduleClock clock;
    uint64_t now = 0;
};

constexpr uint64_t kHour = 60 * kMinuteMs;

// A tick afterMs on the host's clock after the one before.
TickOutcome OnTick(int16_t& counter, std::wstring_view minutes, const std::wstring& program,
                   wchar_t separator, FakeHost& host, uint64_t afterMs = kMinuteMs) {
    host.now += afterMs;
    TickOutcome outcome = OnTick(counter, host.clock, host.now, minutes, program, separator, host);
    if (outcome.result == TickResult::Started && !host.holdStarts)
        outcome = OnStartOutcome(host.clock, host.now, host.failWith, host);
    return outcome;
}

// The ticks (1-based) at which the program starts, the ticks coming after the gaps given.
std::vector<int> LaunchTicks(const wchar_t* minutes, const std::vector<uint64_t>& gaps) {
    FakeHost host;
    int16_t counter = 1;
    std::vector<int> launches;
    for (size_t i = 0; i < gaps.size(); ++i) {
        if (OnTick(counter, minutes, L"C:\\job.bat", L'.', host, gaps[i]).result ==
            TickResult::Launched)
            launches.push_back(static_cast<int>(i) + 1);
    }
    return launches;
}

std::vector<int> LaunchTicks(const wchar_t* minutes, int ticks) {
    return LaunchTicks(minutes, std::vector<uint64_t>(static_cast<size_t>(ticks), kMinuteMs));
}

} // namespace

TEST(OnTick, StartsEveryNMinutesCountedFromStartUp) {
    EXPECT_EQ(LaunchTicks(L"5", 16), (std::vector<int>{5, 10, 15}));
    EXPECT_EQ(LaunchTicks(L"2", 6), (std::vector<int>{2, 4, 6}));
    EXPECT_EQ(LaunchTicks(L"1", 4), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(LaunchTicks(L"5.0", 10), (std::vector<int>{5, 10}));
    EXPECT_EQ(LaunchTicks(L" 3 ", 6), (std::vector<int>{3, 6}));
}

TEST(OnTick, CountsTheMinutesThatPassedOnTheClock) {
    struct Case {
        const char* what;
        const wchar_t* minutes;
        std::vector<uint64_t> gaps;
        std::vector<int> launches;
    };
    const uint64_t m = kMinuteMs;
    const Case cases[] = {
        {"timer jitter", L"3", {m - 900, m + 900, m - 15, m, m + 15, m - 999}, {3, 6}},
        // An extra tick 10 s after its minute is not a minute of its own.
        {"bunched", L"3", {m, m, 10000, m - 10000, m, m}, {4}},
        {"late then early", L"2", {m, 2 * m - 1000, 1000, m, m}, {2, 5}},
        // Sixteen intervals slept through start the program once, on waking; the
        // next interval counts from that start.
        {"long sleep", L"60", {m, m, 16 * kHour, m, 59 * m, m}, {3, 5}},
        {"short sleep", L"10", {m, m, m, 5 * m + 30000, m, m}, {6}},
        {"weeks asleep", L"5", {m, 6 * 7 * 24 * kHour, m, m, m, m, m}, {2, 7}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LaunchTicks(c.minutes, c.gaps), c.launches) << c.what;
}

TEST(OnTick, InvalidMinutesStartNothingAndLeaveTheCounter) {
    const wchar_t* invalid[] = {L"", L"abc", L"0", L"-5", L"4.5", L"1e9", L"99999"};
    for (const wchar_t* minutes : invalid) {
        FakeHost host;
        int16_t counter = 3;
        for (int tick = 0; tick < 40000; ++tick)
            EXPECT_EQ(OnTick(counter, minutes, L"C:\\job.bat", L'.', host).result,
                      TickResult::Skipped);
        EXPECT_EQ(OnTick(counter, minutes, L"x.exe", L'.', host, 16 * kHour).result,
                  TickResult::Skipped);
        EXPECT_EQ(counter, 3);
        EXPECT_TRUE(host.events.empty());
        // Neither those ticks nor the sleep among them count: three minutes to go.
        EXPECT_EQ(OnTick(counter, L"5", L"x.exe", L'.', host).result, TickResult::Counted);
        EXPECT_EQ(OnTick(counter, L"5", L"x.exe", L'.', host).result, TickResult::Counted);
        EXPECT_EQ(OnTick(counter, L"5", L"x.exe", L'.', host).result, TickResult::Launched);
    }
}

TEST(OnTick, WeeksOfTicksNeverOverflowTheCounter) {
    // Three weeks of minutes at the largest interval, then at a small one.
    FakeHost host;
    int16_t counter = 1;
    int launches = 0;
    for (int tick = 0; tick < 3 * 7 * 24 * 60; ++tick) {
        if (OnTick(counter, L"32767", L"x.exe", L'.', host).result == TickResult::Launched)
            ++launches;
        ASSERT_GE(counter, 1);
        ASSERT_LE(counter, 32767);
    }
    EXPECT_EQ(launches, 3 * 7 * 24 * 60 / 32767);
    for (int tick = 0; tick < 7 * 24 * 60; ++tick)
        OnTick(counter, L"10", L"x.exe", L'.', host);
    EXPECT_LE(counter, 10);
}

TEST(OnTick, ChangedMinutesTakeEffectAtTheNextTick) {
    FakeHost host;
    int16_t counter = 1;
    // Raised to 7 by six ticks at "10", then lowered below the count.
    for (int tick = 0; tick < 6; ++tick)
        EXPECT_EQ(OnTick(counter, L"10", L"x.exe", L'.', host).result, TickResult::Counted);
    EXPECT_EQ(counter, 7);
    EXPECT_EQ(OnTick(counter, L"5", L"x.exe", L'.', host).result, TickResult::Launched);
    EXPECT_EQ(counter, 1);

    // Lowered, but still above the count: counts on to the new value.
    counter = 3;
    EXPECT_EQ(OnTick(counter, L"5", L"x.exe", L'.', host).result, TickResult::Counted);
    EXPECT_EQ(OnTick(counter, L"5", L"x.exe", L'.', host).result, TickResult::Counted);
    EXPECT_EQ(OnTick(counter, L"5", L"x.exe", L'.', host).result, TickResult::Launched);

    // An invalid value in between pauses the count without losing it.
    counter = 2;
    OnTick(counter, L"abc", L"x.exe", L'.', host);
    EXPECT_EQ(counter, 2);
    OnTick(counter, L"3", L"x.exe", L'.', host);
    EXPECT_EQ(OnTick(counter, L"3", L"x.exe", L'.', host).result, TickResult::Launched);

    // Lowered below the count, also at a tick that brings no new minute.
    counter = 7;
    EXPECT_EQ(OnTick(counter, L"5", L"x.exe", L'.', host, 10000).result, TickResult::Launched);
}

TEST(OnTick, LaunchIsBracketedByRunningAndWaiting) {
    FakeHost host;
    int16_t counter = 1;
    TickOutcome outcome = OnTick(counter, L"1", L"C:\\My Tools\\job.bat -q", L'.', host);
    EXPECT_EQ(outcome.result, TickResult::Launched);
    EXPECT_EQ(host.events, (std::vector<std::string>{"running", "start", "waiting"}));
    ASSERT_EQ(host.started.size(), 1u);
    EXPECT_EQ(host.started[0], L"C:\\My Tools\\job.bat -q");

    // A start that waits on the network shows Running until its outcome is
    // back; one falling due meanwhile is dropped, and the interval counts on.
    host.events.clear();
    host.holdStarts = true;
    EXPECT_EQ(OnTick(counter, L"2", L"x.exe", L'.', host).result, TickResult::Counted);
    EXPECT_EQ(OnTick(counter, L"2", L"x.exe", L'.', host).result, TickResult::Started);
    EXPECT_EQ(OnTick(counter, L"2", L"x.exe", L'.', host).result, TickResult::Counted);
    EXPECT_EQ(OnTick(counter, L"2", L"x.exe", L'.', host).result, TickResult::Busy);
    EXPECT_EQ(counter, 1);
    EXPECT_EQ(host.events, (std::vector<std::string>{"running", "start"}));
    EXPECT_EQ(OnStartOutcome(host.clock, host.now, 0, host).result, TickResult::Launched);
    EXPECT_EQ(host.events.back(), "waiting");
    EXPECT_EQ(OnTick(counter, L"2", L"x.exe", L'.', host).result, TickResult::Counted);
    EXPECT_EQ(OnTick(counter, L"2", L"x.exe", L'.', host).result, TickResult::Started);

    // Its outcome after a way out has begun changes nothing; nor does a stray one.
    host.events.clear();
    host.leaving = true;
    EXPECT_EQ(OnStartOutcome(host.clock, host.now, 53, host).result, TickResult::Ended);
    EXPECT_EQ(OnStartOutcome(host.clock, host.now, 0, host).result, TickResult::Ended);
    EXPECT_TRUE(host.events.empty());
    EXPECT_FALSE(host.clock.retryDue);

    // The session ended while the tray showed Running: nothing starts, the
    // icon is not touched again, and no retry is kept, even just after waking.
    host.holdStarts = false;
    host.failWith = 53;
    EXPECT_EQ(OnTick(counter, L"1", L"x.exe", L'.', host, 3 * kHour).result, TickResult::Ended);
    EXPECT_EQ(host.events, (std::vector<std::string>{"running"}));
    EXPECT_FALSE(host.clock.retryDue);
}

TEST(OnTick, FailedStartRestartsTheCountAndReportsTheError) {
    FakeHost host;
    host.failWith = 2;
    int16_t counter = 4;
    TickOutcome outcome = OnTick(counter, L"4", L"missing.exe", L'.', host);
    EXPECT_EQ(outcome.result, TickResult::Failed);
    EXPECT_EQ(outcome.error, 2u);
    EXPECT_FALSE(outcome.retrying);
    EXPECT_EQ(counter, 1);
    EXPECT_EQ(host.events.back(), "waiting");
}

TEST(OnTick, AStartThatFailsJustAfterWakingIsTriedOnceMore) {
    // Due at the first tick after waking; the retry fails too, then the interval runs.
    FakeHost host;
    host.failWith = 53; // the network path was not found
    int16_t counter = 1;
    TickOutcome outcome = OnTick(counter, L"10", L"x.exe", L'.', host, 3 * kHour);
    EXPECT_EQ(outcome.result, TickResult::Failed);
    EXPECT_TRUE(outcome.retrying);
    // A moment of an unusable value in the box does not cancel the retry.
    EXPECT_EQ(OnTick(counter, L"", L"x.exe", L'.', host).result, TickResult::Skipped);
    outcome = OnTick(counter, L"10", L"x.exe", L'.', host);
    EXPECT_EQ(outcome.result, TickResult::Failed);
    EXPECT_FALSE(outcome.retrying);
    EXPECT_EQ(OnTick(counter, L"10", L"x.exe", L'.', host).result, TickResult::Counted);

    // Due a minute after waking; the drive is back for the retry.
    counter = 8;
    OnTick(counter, L"10", L"x.exe", L'.', host, 30 * kMinuteMs);
    host.failWith = 0;
    EXPECT_EQ(OnTick(counter, L"10", L"x.exe", L'.', host).result, TickResult::Launched);
    EXPECT_EQ(host.started.size(), 4u);

    // A retry no usable tick reaches soon after goes: hours of an empty box
    // end with no start outside the schedule.
    host.failWith = 53;
    counter = 10;
    EXPECT_TRUE(OnTick(counter, L"10", L"x.exe", L'.', host, 3 * kHour).retrying);
    for (int tick = 0; tick < 120; ++tick)
        OnTick(counter, L"", L"x.exe", L'.', host);
    EXPECT_EQ(OnTick(counter, L"10", L"x.exe", L'.', host).result, TickResult::Counted);

    // A start that fails after waiting, its outcome coming a tick later, is
    // tried once more at the tick after the outcome.
    host.holdStarts = true;
    counter = 10;
    EXPECT_EQ(OnTick(counter, L"10", L"x.exe", L'.', host, 3 * kHour).result, TickResult::Started);
    OnTick(counter, L"10", L"x.exe", L'.', host);
    EXPECT_TRUE(OnStartOutcome(host.clock, host.now + 50000, 53, host).retrying);
    EXPECT_EQ(OnTick(counter, L"10", L"x.exe", L'.', host).result, TickResult::Started);
    EXPECT_FALSE(OnStartOutcome(host.clock, host.now, 53, host).retrying);
    host.holdStarts = false;

    // Long after waking, a failed start waits for the next interval.
    host.failWith = 3;
    OnTick(counter, L"10", L"x.exe", L'.', host);
    counter = 10;
    EXPECT_FALSE(OnTick(counter, L"10", L"x.exe", L'.', host).retrying);
    EXPECT_EQ(OnTick(counter, L"10", L"x.exe", L'.', host).result, TickResult::Counted);
}

TEST(OnTick, EmptyProgramStartsNothingSilently) {
    FakeHost host;
    int16_t counter = 1;
    EXPECT_EQ(OnTick(counter, L"1", L"", L'.', host).result, TickResult::NoProgram);
    EXPECT_EQ(OnTick(counter, L"1", L"   ", L'.', host).result, TickResult::NoProgram);
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(counter, 1);
}

TEST(OnTick, ReadsTheLocaleSeparator) {
    FakeHost host;
    int16_t counter = 2;
    EXPECT_EQ(OnTick(counter, L"2,0", L"x.exe", L',', host).result, TickResult::Launched);
    counter = 2;
    EXPECT_EQ(OnTick(counter, L"2,0", L"x.exe", L'.', host).result, TickResult::Skipped);
}
