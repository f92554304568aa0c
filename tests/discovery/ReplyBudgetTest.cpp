// The reply budget's buckets and its bounded table of requesters.

#include "discovery/ReplyBudget.h"

#include <gtest/gtest.h>

namespace {

using discovery::ReplyBudget;
using namespace std::chrono_literals;

TEST(ReplyBudget, RefillsAtItsRateUpToOneSecond)
{
    ReplyBudget budget(10, 1000, 4);
    const auto start = ReplyBudget::Clock::now();
    EXPECT_EQ(budget.available("a", start), 10u);
    budget.take("a", 10);
    EXPECT_EQ(budget.available("a", start + 250ms), 2u);
    EXPECT_EQ(budget.available("a", start + 1h), 10u);
    // A clock that goes back gives nothing.
    budget.take("a", 10);
    EXPECT_EQ(budget.available("a", start), 0u);
}

TEST(ReplyBudget, ANewRequesterTakesOnlyTheTableSlotOfARefilledBucket)
{
    ReplyBudget budget(10, 1000, 3);
    const auto start = ReplyBudget::Clock::now();
    for (const char* requester : {"a", "b", "c"}) {
        EXPECT_EQ(budget.available(requester, start), 10u);
        budget.take(requester, 10);
    }
    // Every bucket is still refilling: "d" gets nothing and no slot, and "a"
    // keeps what it spent.
    EXPECT_EQ(budget.available("d", start + 500ms), 0u);
    EXPECT_EQ(budget.requesters(), 3u);
    EXPECT_EQ(budget.available("a", start + 500ms), 5u);
    // "b" has refilled: "d" takes its place; "a" and "c" are still charged.
    budget.take("a", 5);
    EXPECT_EQ(budget.available("d", start + 1s), 10u);
    EXPECT_EQ(budget.requesters(), 3u);
    EXPECT_EQ(budget.available("a", start + 1s), 5u);
    EXPECT_EQ(budget.available("c", start + 1s), 10u);
}

TEST(ReplyBudget, TheOverallBucketBoundsEveryRequesterTogether)
{
    ReplyBudget budget(10, 25, 8);
    const auto start = ReplyBudget::Clock::now();
    budget.take("a", budget.available("a", start));
    budget.take("b", budget.available("b", start));
    EXPECT_EQ(budget.available("c", start), 5u);
    budget.take("c", 5);
    EXPECT_EQ(budget.available("d", start), 0u);
}

} // namespace
