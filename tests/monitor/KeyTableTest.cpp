#include "monitor/KeyTable.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

using namespace std::chrono_literals;
using monitor::Clock;
using monitor::KeyTable;

const Clock::time_point kStart = Clock::time_point(std::chrono::hours(500000));

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

} // namespace
