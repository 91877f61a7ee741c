#include "app/scheduler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records what a launch does, in order.
class FakeHost : public ILaunchHost {
public:
    void SetTrayState(TrayState state) override {
        events.push_back(state == TrayState::Running ? "running" : "waiting");
    }
    uint32_t StartHidden(const std::wstring& programText) override {
        events.push_back("start");
        started.push_back(programText);
        return failWith;
    }
    std::vector<std::string> events;
    std::vector<std::wstring> started;
    uint32_t failWith = 0;
};

// The ticks (1-based) at which the program starts over a run of ticks.
std::vector<int> LaunchTicks(const wchar_t* minutes, int ticks) {
    FakeHost host;
    int16_t counter = 1;
    std::vector<int> launches;
    for (int tick = 1; tick <= ticks; ++tick) {
        if (OnTick(counter, minutes, L"C:\\job.bat", L'.', host).result == TickResult::Launched)
            launches.push_back(tick);
    }
    return launches;
}

} // namespace

TEST(OnTick, StartsEveryNMinutesCountedFromStartUp) {
    EXPECT_EQ(LaunchTicks(L"5", 16), (std::vector<int>{5, 10, 15}));
    EXPECT_EQ(LaunchTicks(L"2", 6), (std::vector<int>{2, 4, 6}));
    EXPECT_EQ(LaunchTicks(L"1", 4), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(LaunchTicks(L"5.0", 10), (std::vector<int>{5, 10}));
    EXPECT_EQ(LaunchTicks(L" 3 ", 6), (std::vector<int>{3, 6}));
}

TEST(OnTick, InvalidMinutesStartNothingAndLeaveTheCounter) {
    const wchar_t* invalid[] = {L"", L"abc", L"0", L"-5", L"4.5", L"1e9", L"99999"};
    for (const wchar_t* minutes : invalid) {
        FakeHost host;
        int16_t counter = 3;
        for (int tick = 0; tick < 40000; ++tick)
            EXPECT_EQ(OnTick(counter, minutes, L"C:\\job.bat", L'.', host).result,
                      TickResult::Skipped);
        EXPECT_EQ(counter, 3);
        EXPECT_TRUE(host.events.empty());
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
}

TEST(OnTick, LaunchIsBracketedByRunningAndWaiting) {
    FakeHost host;
    int16_t counter = 1;
    TickOutcome outcome = OnTick(counter, L"1", L"C:\\My Tools\\job.bat -q", L'.', host);
    EXPECT_EQ(outcome.result, TickResult::Launched);
    EXPECT_EQ(host.events, (std::vector<std::string>{"running", "start", "waiting"}));
    ASSERT_EQ(host.started.size(), 1u);
    EXPECT_EQ(host.started[0], L"C:\\My Tools\\job.bat -q");
}

TEST(OnTick, FailedStartRestartsTheCountAndReportsTheError) {
    FakeHost host;
    host.failWith = 2;
    int16_t counter = 4;
    TickOutcome outcome = OnTick(counter, L"4", L"missing.exe", L'.', host);
    EXPECT_EQ(outcome.result, TickResult::Failed);
    EXPECT_EQ(outcome.error, 2u);
    EXPECT_EQ(counter, 1);
    EXPECT_EQ(host.events.back(), "waiting");
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
