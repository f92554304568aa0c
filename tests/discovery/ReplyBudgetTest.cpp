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

TEST(ReplyBudget, TheTableEvictsTheLongestIdleAndTheOverallBucketStillHolds)
{
    ReplyBudget budget(10, 25, 3);
    const auto start = ReplyBudget::Clock::now();
    for (const char* requester : {"a", "b", "c"}) {
        EXPECT_EQ(budget.available(requester, start), 10u);
        budget.take(requester, 2);
    }
    EXPECT_EQ(budget.requesters(), 3u);
    // "a" was idle longest: "d" takes its place; "a" comes back new.
    budget.available("b", start + 1ms);
    budget.available("c", start + 1ms);
    budget.available("d", start + 2ms);
    EXPECT_EQ(budget.requesters(), 3u);
    // 25 overall, 6 spent: a new requester gets no more than what is left.
    budget.take("d", 10);
    EXPECT_LE(budget.available("a", start + 3ms), 10u);
    budget.take("a", budget.available("a", start + 3ms));
    EXPECT_EQ(budget.available("e", start + 3ms), 0u);
}

} // namespace
