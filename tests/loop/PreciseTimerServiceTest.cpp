// The station's timer: each wake-up comes no earlier than its deadline, once;
// a new deadline replaces the armed one; a deadline long past (even the
// clock's very start, which the system reads as "stop") fires at once.
#include "loop/PreciseTimerService.h"

#include <QCoreApplication>

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

using loop::PreciseTimerService;
using namespace std::chrono;

namespace {

// Runs the event loop until `done` or 10 s (a loaded machine's bound).
bool RunUntil(const std::function<bool()>& done)
{
    const auto limit = steady_clock::now() + 10s;
    while (!done() && steady_clock::now() < limit)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return done();
}

// Runs the event loop for `span`, to see that nothing more happens.
void RunFor(steady_clock::duration span)
{
    const auto end = steady_clock::now() + span;
    while (steady_clock::now() < end)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
}

TEST(PreciseTimerService, FiresOnceNoEarlierThanEachDeadlineItIsArmedFor)
{
    PreciseTimerService timers;
    std::vector<steady_clock::time_point> deadlines;
    std::vector<steady_clock::time_point> fired;
    std::function<void()> fire = [&] {
        fired.push_back(timers.now());
        if (deadlines.size() < 3) {
            deadlines.push_back(deadlines.back() + 3ms);
            ASSERT_TRUE(timers.arm(deadlines.back(), fire));
        }
    };
    deadlines.push_back(timers.now() + 20ms);
    ASSERT_TRUE(timers.arm(deadlines.back(), fire));
    ASSERT_TRUE(RunUntil([&] { return fired.size() == 3; }));
    RunFor(30ms);
    ASSERT_EQ(fired.size(), 3u);
    for (std::size_t i = 0; i < fired.size(); ++i)
        EXPECT_GE(fired[i], deadlines[i]) << i;
}

TEST(PreciseTimerService, ANewDeadlineReplacesTheArmedOneAndDisarmStopsIt)
{
    PreciseTimerService timers;
    std::vector<char> fired;
    ASSERT_TRUE(timers.arm(timers.now() + 5ms, [&] { fired.push_back('a'); }));
    ASSERT_TRUE(timers.arm(timers.now() + 15ms, [&] { fired.push_back('b'); }));
    ASSERT_TRUE(RunUntil([&] { return !fired.empty(); }));
    RunFor(30ms);
    EXPECT_EQ(fired, std::vector<char>{'b'});

    ASSERT_TRUE(timers.arm(timers.now() + 5ms, [&] { fired.push_back('c'); }));
    timers.disarm();
    RunFor(40ms);
    EXPECT_EQ(fired, std::vector<char>{'b'});
}

TEST(PreciseTimerService, ADeadlineLongPastFiresAtOnce)
{
    PreciseTimerService timers;
    int fired = 0;
    ASSERT_TRUE(timers.arm(timers.now() - 5s, [&] { ++fired; }));
    ASSERT_TRUE(RunUntil([&] { return fired == 1; }));
    ASSERT_TRUE(timers.arm(steady_clock::time_point{}, [&] { ++fired; }));
    ASSERT_TRUE(RunUntil([&] { return fired == 2; }));
    RunFor(20ms);
    EXPECT_EQ(fired, 2);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
