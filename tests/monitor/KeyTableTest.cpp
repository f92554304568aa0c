#include "monitor/KeyTable.h"
#include "MonitorStart.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using monitor::Clock;
using monitor::KeyTable;

using monitor_test::kStart;

monitor::Update Data(std::string type, Clock::time_point at, std::string source = "10.0.0.1",
                     std::int32_t priority = 29)
{
    monitor::Update update;
    update.key = {std::move(type), 1, 1, 1};
    update.priority = priority;
    update.value = "20.5";
    update.ipText = source;
    update.source = std::move(source);
    update.received = at;
    update.seen = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(at.time_since_epoch()));
    return update;
}

TEST(KeyTable, IntervalIsTheMedianOfTheSendersRecentGaps)
{
    KeyTable table(10);
    const monitor::Row* row = &table.update(Data("WAirTemp", kStart));
    EXPECT_FALSE(row->interval);
    // One late send among regular ones does not move the interval.
    Clock::time_point at = kStart;
    for (const auto gap : {10s, 10s, 25s, 10s}) {
        at += gap;
        row = &table.update(Data("WAirTemp", at));
    }
    ASSERT_TRUE(row->interval);
    EXPECT_EQ(*row->interval, 10s);
    EXPECT_EQ(row->updates, 5u);
    // A second sender's gaps do not mix with the first's.
    table.update(Data("WAirTemp", at + 1s, "10.0.0.2", 1));
    row = &table.update(Data("WAirTemp", at + 2s, "10.0.0.2", 1));
    EXPECT_EQ(*row->interval, 1s);
}

TEST(KeyTable, StaleAfterThreeIntervalsWithoutUpdate)
{
    KeyTable table(10);
    table.update(Data("WAirTemp", kStart));
    const monitor::Row& row = table.update(Data("WAirTemp", kStart + 10s));
    EXPECT_FALSE(table.flags(row, kStart + 40s).stale);
    EXPECT_TRUE(table.flags(row, kStart + 40s + 1ms).stale);
    // With one datagram the interval is unknown: never stale.
    const monitor::Row& once = table.update(Data("WRainfall", kStart));
    EXPECT_FALSE(table.flags(once, kStart + 24h).stale);
}

TEST(KeyTable, ConflictWhenTwoCurrentSendersShareKeyAndPriority)
{
    KeyTable table(10);
    table.update(Data("cnd", kStart, "10.0.0.1"));
    table.update(Data("cnd", kStart + 1s, "10.0.0.1"));
    const monitor::Row& row = table.update(Data("cnd", kStart + 1500ms, "10.0.0.2"));
    EXPECT_TRUE(table.flags(row, kStart + 2s).conflict);
    // Once the first has stopped for three of its intervals, the second is alone.
    EXPECT_FALSE(table.flags(row, kStart + 5s).conflict);

    // Another priority is no conflict: receivers take the better one.
    KeyTable priorities(10);
    priorities.update(Data("cnd", kStart, "10.0.0.1", 29));
    const monitor::Row& other = priorities.update(Data("cnd", kStart, "10.0.0.2", 10));
    EXPECT_FALSE(priorities.flags(other, kStart).conflict);

    // The same source with another <IP> text is another sender.
    KeyTable texts(10);
    texts.update(Data("cnd", kStart, "10.0.0.1"));
    monitor::Update spoofed = Data("cnd", kStart, "10.0.0.1");
    spoofed.ipText = "10.0.0.7";
    const monitor::Row& both = texts.update(spoofed);
    EXPECT_TRUE(texts.flags(both, kStart).conflict);
    EXPECT_TRUE(texts.flags(both, kStart).mismatch);
}

TEST(KeyTable, WinnerIsTheLowestPriorityNumberAmongCurrentSenders)
{
    KeyTable table(10);
    table.update(Data("cnd", kStart, "10.0.0.1", 10));
    table.update(Data("cnd", kStart + 1s, "10.0.0.1", 10));
    table.update(Data("cnd", kStart + 1s, "10.0.0.2", 20));
    const monitor::Row& row = table.update(Data("cnd", kStart + 2s, "10.0.0.2", 20));
    EXPECT_EQ(KeyTable::winner(row, kStart + 2s)->source, "10.0.0.1");
    EXPECT_EQ(KeyTable::winner(row, kStart + 4s)->source, "10.0.0.1");
    // Silent for more than three of its intervals: the next one is taken.
    EXPECT_EQ(KeyTable::winner(row, kStart + 4001ms)->source, "10.0.0.2");
    EXPECT_EQ(KeyTable::winner(row, kStart + 1h), nullptr);
    // Of equal priorities, the one heard last.
    const monitor::Row& tie = table.update(Data("cnd", kStart + 3s, "10.0.0.3", 10));
    EXPECT_EQ(KeyTable::winner(tie, kStart + 3s)->source, "10.0.0.3");
}

TEST(KeyTable, MismatchFollowsTheLastUpdate)
{
    KeyTable table(10);
    monitor::Update update = Data("cnd", kStart);
    update.ipText = "192.168.1.1";
    EXPECT_TRUE(table.flags(table.update(update), kStart).mismatch);
    EXPECT_FALSE(table.flags(table.update(Data("cnd", kStart + 1s)), kStart).mismatch);
}

TEST(KeyTable, SendersPerKeyAreBounded)
{
    KeyTable table(10);
    const monitor::Row* row = nullptr;
    for (int i = 0; i < 100; ++i)
        row = &table.update(Data("cnd", kStart + i * 1ms, "10.0.0." + std::to_string(i)));
    EXPECT_EQ(row->senders.size(), KeyTable::kSendersKept);
    // The most recent ones are kept.
    EXPECT_EQ(row->senders.back().source, "10.0.0.99");
}

TEST(KeyTable, CapEvictsTheLeastRecentlyUpdatedAndCounts)
{
    KeyTable table(3);
    table.update(Data("A", kStart));
    table.update(Data("B", kStart + 1s));
    table.update(Data("C", kStart + 2s));
    // A is refreshed, so B is now the oldest.
    table.update(Data("A", kStart + 3s));
    table.update(Data("D", kStart + 4s));
    EXPECT_EQ(table.size(), 3u);
    EXPECT_EQ(table.evicted(), 1u);
    EXPECT_FALSE(table.rows().contains({"B", 1, 1, 1}));
    EXPECT_TRUE(table.rows().contains({"A", 1, 1, 1}));
    // A flood of new keys stays within the cap.
    for (int i = 0; i < 1000; ++i)
        table.update(Data("flood" + std::to_string(i), kStart + 5s + i * 1ms));
    EXPECT_EQ(table.size(), 3u);
    EXPECT_EQ(table.evicted(), 1001u);
    EXPECT_TRUE(table.rows().contains({"flood999", 1, 1, 1}));
}

struct Gaps {
    const char* name;
    std::vector<Clock::duration> gaps;
    std::uint64_t missed;
};

std::ostream& operator<<(std::ostream& out, const Gaps& row)
{
    return out << row.name;
}

class MissedSends : public testing::TestWithParam<Gaps> {};

TEST_P(MissedSends, AGapOfKIntervalsCountsKMinusOne)
{
    KeyTable table(10);
    Clock::time_point at = kStart;
    const monitor::Row* row = &table.update(Data("cnd", at));
    for (const Clock::duration gap : GetParam().gaps)
        row = &table.update(Data("cnd", at += gap));
    EXPECT_EQ(row->missed, GetParam().missed);
    EXPECT_EQ(row->updates, GetParam().gaps.size() + 1);
}

INSTANTIATE_TEST_SUITE_P(
    KeyTable, MissedSends,
    testing::Values(Gaps{"steady", {1s, 1s, 1s, 1s}, 0}, Gaps{"one_lost", {1s, 1s, 2s, 1s}, 1},
                    Gaps{"three_lost", {10s, 10s, 40s}, 3},
                    Gaps{"jitter_is_no_loss", {1s, 1s, 1400ms, 600ms, 1s}, 0},
                    Gaps{"late_past_half_an_interval", {1s, 1s, 1600ms}, 1},
                    Gaps{"not_judged_before_two_gaps", {1s, 3s}, 0},
                    Gaps{"a_burst_sets_no_tiny_interval", {10ms, 1s, 1s, 3s}, 2},
                    Gaps{"a_new_interval_once_it_is_the_median", {1s, 1s, 3s, 3s, 1s}, 4}),
    [](const testing::TestParamInfo<Gaps>& info) { return std::string(info.param.name); });

TEST(KeyTable, CountersOfARowSpanItsSendersAndJudgeEachByItsOwnGaps)
{
    KeyTable table(10);
    // Two senders of one key, each every 2 s, a second apart; then the
    // second stops and the first goes on alone: nobody missed a send.
    const monitor::Row* row = nullptr;
    for (int second = 0; second < 8; ++second)
        row = &table.update(
            Data("cnd", kStart + second * 1s, second % 2 == 0 ? "10.0.0.1" : "10.0.0.2"));
    for (int second = 8; second <= 16; second += 2)
        row = &table.update(Data("cnd", kStart + second * 1s, "10.0.0.1"));
    EXPECT_EQ(row->missed, 0u);
    EXPECT_EQ(row->updates, 13u);
    ASSERT_TRUE(row->rate());
    EXPECT_DOUBLE_EQ(*row->rate(), 12.0 / 16.0);
    EXPECT_EQ(row->lastSeen - row->firstSeen, 16s);
    // One datagram gives no rate.
    EXPECT_FALSE(table.update(Data("WRainfall", kStart)).rate());
}

} // namespace
