// When a replay sends: the capture's gaps from the start, scaled by the
// speed, back to back in batches, and without drift when wake-ups come late.

#include "monitor/Replay.h"
#include "monitor/ReplaySummary.h"
#include "monitor/ReplayTimer.h"

#include "node/ManualTimerService.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono;
using Ms = milliseconds;

// Records received at these microseconds after a fixed instant.
std::vector<capture::CaptureRecord> Capture(const std::vector<std::int64_t>& micros)
{
    std::vector<capture::CaptureRecord> records;
    const auto base = *capture::ParseCaptureTime("2026-12-08T23:10:04.000000+09:00");
    for (std::size_t index = 0; index < micros.size(); ++index) {
        capture::CaptureRecord record;
        record.time = {base.instant + microseconds(micros[index]), base.utcOffset};
        record.bytes = std::to_string(index);
        records.push_back(record);
    }
    return records;
}

// The records one at a time, as a reader gives them.
monitor::Replay::Next From(const std::vector<capture::CaptureRecord>& records)
{
    return [&records, next = std::size_t{0}]() mutable -> std::optional<capture::CaptureRecord> {
        if (next == records.size())
            return std::nullopt;
        return records[next++];
    };
}

struct Playback {
    ManualTimerService timers;
    std::vector<std::pair<ManualTimerService::Clock::duration, std::string>> sends;
    std::optional<bool> finished;
    ManualTimerService::Clock::time_point start = timers.current;

    void play(const std::vector<capture::CaptureRecord>& records, double speed, Ms span)
    {
        monitor::Replay replay(
            From(records), speed, timers,
            [this](const capture::CaptureRecord& record) {
                sends.emplace_back(timers.now() - start, record.bytes);
            },
            [this](bool completed) { finished = completed; });
        replay.start();
        timers.advance(span);
    }
};

TEST(Replay, SendsEachDatagramAtItsGapFromTheFirst)
{
    Playback run;
    run.play(Capture({0, 1500, 1500, 250000, 3000000}), 1, Ms(10000));
    const std::vector<std::pair<ManualTimerService::Clock::duration, std::string>> expected{
        {microseconds(0), "0"},
        {microseconds(1500), "1"},
        {microseconds(1500), "2"},
        {microseconds(250000), "3"},
        {microseconds(3000000), "4"}};
    EXPECT_EQ(run.sends, expected);
    EXPECT_EQ(run.finished, true);
}

TEST(Replay, SpeedDividesTheGaps)
{
    Playback fast;
    fast.play(Capture({0, 1000000, 3000000}), 10, Ms(1000));
    ASSERT_EQ(fast.sends.size(), 3u);
    EXPECT_EQ(fast.sends[1].first, Ms(100));
    EXPECT_EQ(fast.sends[2].first, Ms(300));
    Playback slow;
    slow.play(Capture({0, 1000}), 0.001, Ms(2000));
    ASSERT_EQ(slow.sends.size(), 2u);
    EXPECT_EQ(slow.sends[1].first, Ms(1000));
}

TEST(Replay, LateWakeUpsDoNotAddUp)
{
    Playback run;
    run.timers.lateness = Ms(7);
    std::vector<std::int64_t> micros;
    for (std::int64_t index = 0; index < 100; ++index)
        micros.push_back(index * 10000);
    run.play(Capture(micros), 1, Ms(2000));
    ASSERT_EQ(run.sends.size(), 100u);
    // Each send is 7 ms late, never 7 ms times the sends before it.
    for (std::size_t index = 1; index < run.sends.size(); ++index)
        EXPECT_EQ(run.sends[index].first, Ms(10 * static_cast<std::int64_t>(index) + 7)) << index;
}

TEST(Replay, AStalledThreadSendsWhatFellDueAtOnceInOrder)
{
    Playback run;
    const auto records = Capture({0, 100000, 200000, 300000});
    monitor::Replay replay(
        From(records), 1, run.timers,
        [&run](const capture::CaptureRecord& record) {
            run.sends.emplace_back(run.timers.now() - run.start, record.bytes);
        },
        [&run](bool completed) { run.finished = completed; });
    replay.start();
    run.timers.stall(Ms(250));
    run.timers.advance(Ms(0));
    run.timers.advance(Ms(100));
    ASSERT_EQ(run.sends.size(), 4u);
    EXPECT_EQ(run.sends[1].first, Ms(250));
    EXPECT_EQ(run.sends[2].first, Ms(250));
    EXPECT_EQ(run.sends[2].second, "2");
    EXPECT_EQ(run.sends[3].first, Ms(300));
}

TEST(Replay, AsFastAsPossibleSendsInBatchesWithoutWaiting)
{
    Playback run;
    std::vector<std::int64_t> micros(monitor::Replay::kBatch * 2 + 1, 0);
    for (std::size_t index = 0; index < micros.size(); ++index)
        micros[index] = static_cast<std::int64_t>(index) * 1000000;
    run.play(Capture(micros), 0, Ms(0));
    ASSERT_EQ(run.sends.size(), micros.size());
    EXPECT_EQ(run.sends.back().first, Ms(0));
    EXPECT_EQ(run.sends.back().second, std::to_string(micros.size() - 1));
    // One wake-up for each batch after the first, so signals are heard between.
    EXPECT_EQ(run.timers.armCount, 2);
    EXPECT_EQ(run.finished, true);
}

TEST(Replay, ARecordBeforeTheFirstGoesAtOnceAndOrderIsKept)
{
    Playback run;
    run.play(Capture({500000, 0, 600000}), 1, Ms(1000));
    ASSERT_EQ(run.sends.size(), 3u);
    EXPECT_EQ(run.sends[1],
              std::make_pair(ManualTimerService::Clock::duration(0), std::string("1")));
    EXPECT_EQ(run.sends[2].first, Ms(100));
}

TEST(Replay, ReadsOneRecordAheadOfItsSends)
{
    ManualTimerService timers;
    const auto records = Capture({0, 100000, 200000, 300000});
    std::size_t pulled = 0;
    std::size_t sent = 0;
    monitor::Replay replay(
        [&, next = From(records)]() mutable {
            ++pulled;
            return next();
        },
        1, timers, [&](const capture::CaptureRecord&) { ++sent; }, [](bool) {});
    replay.start();
    timers.advance(Ms(150));
    EXPECT_EQ(sent, 2u);
    EXPECT_EQ(pulled, 3u);
}

TEST(Replay, AStopFromASendEndsTheBatch)
{
    Playback run;
    const auto records = Capture({0, 0, 0, 0});
    std::optional<monitor::Replay> replay;
    replay.emplace(
        From(records), 0, run.timers,
        [&](const capture::CaptureRecord& record) {
            run.sends.emplace_back(run.timers.now() - run.start, record.bytes);
            if (record.bytes == "1")
                replay->stop();
        },
        [&run](bool completed) { run.finished = completed; });
    replay->start();
    run.timers.advance(Ms(10));
    EXPECT_EQ(run.sends.size(), 2u);
    EXPECT_FALSE(run.finished);
}

TEST(Replay, NoTimerEndsTheRunAsNotCompleted)
{
    Playback run;
    run.timers.refuse = true;
    run.play(Capture({0, 1000}), 1, Ms(10));
    EXPECT_EQ(run.sends.size(), 1u);
    EXPECT_EQ(run.finished, false);
}

TEST(Replay, GapsBeyondWhatAWaitHoldsAreCappedAtACentury)
{
    constexpr std::int64_t kFarMicros = std::int64_t(1) << 62;
    const auto records = Capture({0, 1000, kFarMicros});
    monitor::ReplaySchedule slowest(monitor::ReplaySchedule::kMinSpeed);
    EXPECT_EQ(slowest.offset(records[0].time), Ms(0));
    EXPECT_EQ(slowest.offset(records[1].time), Ms(1000));
    EXPECT_EQ(slowest.offset(records[2].time), monitor::kLongestReplayWait);
    // 2^31 ms, 24.9 days: no cap.
    EXPECT_EQ(monitor::ScaledGap(Ms(std::int64_t(1) << 31), 1), Ms(std::int64_t(1) << 31));
    EXPECT_EQ(monitor::ScaledGap(microseconds::max(), 0.001), monitor::kLongestReplayWait);
}

// A loop timer whose wake-ups the test delivers, at the time it chooses.
struct HandWoken : node::TimerService {
    steady_clock::time_point clock{hours(1)};
    std::optional<steady_clock::time_point> armed;
    std::function<void()> wake;
    steady_clock::time_point now() const override { return clock; }
    bool arm(steady_clock::time_point at, std::function<void()> fire) override
    {
        armed = at;
        wake = std::move(fire);
        return true;
    }
    void disarm() override { armed.reset(); }
    void deliverAt(steady_clock::time_point at)
    {
        clock = at;
        armed.reset();
        std::exchange(wake, nullptr)();
    }
};

struct WakeCase {
    const char* name;
    // When the loop's wake-up comes, from the deadline.
    steady_clock::duration wokenAt;
    // What the replay timer sleeps, and whether it fires or arms again.
    std::optional<steady_clock::duration> slept;
    bool fires;
};

void PrintTo(const WakeCase& c, std::ostream* out)
{
    *out << c.name;
}

class ReplayWakeUps : public testing::TestWithParam<WakeCase> {};

// The loop is woken `lead` early and the rest slept: never longer than the
// lead, whenever the loop's wake-up comes (a timer that wrapped its wait
// woke after 3 s for a deadline 2^32 ms away).
TEST_P(ReplayWakeUps, SleepAtMostTheLeadAndFireNotBeforeTheDeadline)
{
    HandWoken loop;
    std::vector<steady_clock::duration> sleeps;
    monitor::ReplayTimer timer(loop, Ms(2), [&](steady_clock::duration span) {
        sleeps.push_back(span);
        loop.clock += span;
    });
    const auto deadline = loop.clock + Ms(std::int64_t(1) << 32);
    int fired = 0;
    ASSERT_TRUE(timer.arm(deadline, [&] { ++fired; }));
    EXPECT_EQ(loop.armed, deadline - Ms(2));
    loop.deliverAt(deadline + GetParam().wokenAt);
    EXPECT_EQ(sleeps, GetParam().slept ? std::vector{*GetParam().slept}
                                       : std::vector<steady_clock::duration>{});
    EXPECT_EQ(fired, GetParam().fires ? 1 : 0);
    EXPECT_EQ(loop.armed, GetParam().fires ? std::nullopt : std::optional(deadline - Ms(2)));
}

INSTANTIATE_TEST_SUITE_P(
    Lead, ReplayWakeUps,
    testing::Values(WakeCase{"LeadEarly", -Ms(2), Ms(2), true},
                    WakeCase{"HalfALeadEarly", -microseconds(500), microseconds(500), true},
                    WakeCase{"OnTime", Ms(0), std::nullopt, true},
                    WakeCase{"Late", Ms(7), std::nullopt, true},
                    WakeCase{"WrappedWait", Ms(3000) - Ms(std::int64_t(1) << 32), std::nullopt,
                             false},
                    WakeCase{"JustBeyondTheLead", -Ms(2) - microseconds(1), std::nullopt, false}),
    [](const testing::TestParamInfo<WakeCase>& info) { return info.param.name; });

// Rounds of a capture, each read again from its start; the times each send
// falls at, and the rewinds asked for.
struct Rounds {
    ManualTimerService timers;
    std::vector<std::pair<ManualTimerService::Clock::duration, std::string>> sends;
    int rewinds = 0;
    std::optional<bool> finished;

    void play(const std::vector<capture::CaptureRecord>& records, double speed, std::size_t rounds,
              Ms span, bool rewindFails = false)
    {
        const auto start = timers.now();
        std::size_t next = 0;
        monitor::Replay replay(
            [&]() -> std::optional<capture::CaptureRecord> {
                if (next == records.size())
                    return std::nullopt;
                return records[next++];
            },
            speed, timers,
            [&](const capture::CaptureRecord& record) {
                sends.emplace_back(timers.now() - start, record.bytes);
            },
            [this](bool completed) { finished = completed; }, rounds,
            [&] {
                ++rewinds;
                next = 0;
                return !rewindFails;
            });
        replay.start();
        timers.advance(span);
    }

    std::vector<ManualTimerService::Clock::duration> times() const
    {
        std::vector<ManualTimerService::Clock::duration> result;
        for (const auto& send : sends)
            result.push_back(send.first);
        return result;
    }
};

struct Seam {
    const char* name;
    std::vector<std::int64_t> micros;
    double speed;
    std::size_t rounds;
    std::vector<std::int64_t> sentAtMs;
};

std::ostream& operator<<(std::ostream& out, const Seam& row)
{
    return out << row.name;
}

class ReplayRounds : public ::testing::TestWithParam<Seam> {};

TEST_P(ReplayRounds, TheNextRoundFollowsByTheMeanGap)
{
    Rounds run;
    run.play(Capture(GetParam().micros), GetParam().speed, GetParam().rounds, Ms(100000));
    std::vector<ManualTimerService::Clock::duration> expected;
    for (const std::int64_t ms : GetParam().sentAtMs)
        expected.push_back(Ms(ms));
    EXPECT_EQ(run.times(), expected);
    EXPECT_EQ(run.rewinds, static_cast<int>(GetParam().rounds) - 1);
    EXPECT_EQ(run.finished, true);
}

INSTANTIATE_TEST_SUITE_P(
    Replay, ReplayRounds,
    ::testing::Values(Seam{"steady",
                           {0, 1000000, 2000000},
                           1,
                           3,
                           {0, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000}},
                      Seam{"uneven", {0, 100000, 400000}, 1, 2, {0, 100, 400, 600, 700, 1000}},
                      Seam{"faster", {0, 1000000, 2000000}, 2, 2, {0, 500, 1000, 1500, 2000, 2500}},
                      Seam{"one_datagram", {5000000}, 1, 3, {0, 0, 0}},
                      Seam{"as_fast_as_possible", {0, 1000000}, 0, 2, {0, 0, 0, 0}}),
    [](const ::testing::TestParamInfo<Seam>& info) { return std::string(info.param.name); });

TEST(Replay, ARoundThatCannotBeginEndsTheReplayAfterTheLast)
{
    Rounds run;
    run.play(Capture({0, 1000}), 1, 5, Ms(1000), true);
    EXPECT_EQ(run.sends.size(), 2u);
    EXPECT_EQ(run.rewinds, 1);
    EXPECT_EQ(run.finished, true);
    // An empty capture is not read again.
    Rounds empty;
    empty.play({}, 1, 5, Ms(1000));
    EXPECT_EQ(empty.rewinds, 0);
    EXPECT_EQ(empty.finished, true);
}

TEST(ReplaySummary, SaysWhatWasSentAndNoRateWithoutTime)
{
    monitor::ReplaySummary summary{1, 120, 2, 1, {}};
    EXPECT_EQ(monitor::ReplaySummaryText(summary, false),
              "1 datagram sent (120 bytes), 2 failed, 1 round, in 0.000 s: - a second");
    EXPECT_EQ(
        monitor::ReplaySummaryJson(summary, true),
        R"({"sent":1,"bytes":120,"failed":2,"rounds":1,"duration":0,"rate":null,"dry_run":true})");
    summary = {3000, 0, 0, 2, std::chrono::milliseconds(1500)};
    EXPECT_EQ(monitor::ReplaySummaryText(summary, true),
              "3000 datagrams written (0 bytes), 0 failed, 2 rounds, in 1.500 s: 2000.0 a second");
}

} // namespace
