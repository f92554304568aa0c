#include "node/TTimer.h"

#include "ManualTimerService.h"
#include "runtime/Exception.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

using node::TTimer;
using Ms = ManualTimerService::Ms;

namespace {

class TTimerTest : public ::testing::Test {
protected:
    // Milliseconds from the test's start to each tick.
    std::vector<long> ticks;
    ManualTimerService service;
    TTimer timer{service};
    const ManualTimerService::Clock::time_point origin = service.current;

    void SetUp() override
    {
        timer.SetOnTimer([this] { ticks.push_back(elapsed()); });
    }
    long elapsed() const
    {
        return std::chrono::duration_cast<Ms>(service.current - origin).count();
    }
};

TEST_F(TTimerTest, FirstTickComesOneFullIntervalAfterEnabling)
{
    timer.SetInterval(1000);
    timer.SetEnabled(true);
    service.advance(Ms(999));
    EXPECT_TRUE(ticks.empty());
    service.advance(Ms(1));
    EXPECT_EQ(ticks, (std::vector<long>{1000}));
}

TEST_F(TTimerTest, DoesNotRunWithoutIntervalOrHandler)
{
    timer.SetInterval(0);
    timer.SetEnabled(true);
    EXPECT_FALSE(service.deadline);

    TTimer idle(service);
    idle.SetEnabled(true);
    EXPECT_FALSE(service.deadline);
    EXPECT_TRUE(idle.Enabled());
}

TEST_F(TTimerTest, LateDeliveryDoesNotShiftLaterTicks)
{
    service.lateness = Ms(40);
    timer.SetEnabled(true);
    service.advance(Ms(5000));
    EXPECT_EQ(ticks, (std::vector<long>{1040, 2040, 3040, 4040}));
}

TEST_F(TTimerTest, TicksMissedWhileBusyMergeIntoOne)
{
    bool first = true;
    timer.SetOnTimer([&] {
        ticks.push_back(elapsed());
        if (std::exchange(first, false))
            service.stall(Ms(2500));
    });
    timer.SetEnabled(true);
    service.advance(Ms(5000));
    // The handler of the tick at 1000 returns at 3500: the ticks due at 2000
    // and 3000 come as one, and the grid goes on at 4000.
    EXPECT_EQ(ticks, (std::vector<long>{1000, 3500, 4000, 5000}));
}

TEST_F(TTimerTest, EnablingAnEnabledTimerOrRepeatingTheIntervalChangesNothing)
{
    timer.SetEnabled(true);
    service.advance(Ms(600));
    const int arms = service.armCount;
    timer.SetEnabled(true);
    timer.SetInterval(1000);
    EXPECT_EQ(service.armCount, arms);
    service.advance(Ms(400));
    EXPECT_EQ(ticks, (std::vector<long>{1000}));
}

TEST_F(TTimerTest, NewIntervalRestartsFromNow)
{
    timer.SetInterval(60000);
    timer.SetEnabled(true);
    service.advance(Ms(30000));
    timer.SetInterval(1000);
    service.advance(Ms(2000));
    EXPECT_EQ(ticks, (std::vector<long>{31000, 32000}));
    EXPECT_EQ(timer.Interval(), 1000u);
}

TEST_F(TTimerTest, DisablingStopsTicksAndReenablingStartsOver)
{
    timer.SetEnabled(true);
    service.advance(Ms(1500));
    timer.SetEnabled(false);
    EXPECT_FALSE(service.deadline);
    service.advance(Ms(3000));
    timer.SetEnabled(true);
    service.advance(Ms(1000));
    EXPECT_EQ(ticks, (std::vector<long>{1000, 5500}));
}

TEST_F(TTimerTest, HandlerThatThrowsLeavesTheTimerRunning)
{
    timer.SetOnTimer([&] {
        ticks.push_back(elapsed());
        throw std::runtime_error("tick failed");
    });
    timer.SetEnabled(true);
    EXPECT_THROW(service.advance(Ms(1000)), std::runtime_error);
    EXPECT_THROW(service.advance(Ms(1000)), std::runtime_error);
    EXPECT_EQ(ticks, (std::vector<long>{1000, 2000}));
}

TEST_F(TTimerTest, NoSystemTimerLeavesItEnabledWithoutTicks)
{
    service.refuse = true;
    try {
        timer.SetEnabled(true);
        FAIL() << "enabling without a system timer must throw";
    } catch (const runtime::EOutOfResources& error) {
        EXPECT_EQ(error.Message(), "タイマーを取得できません");
    }
    EXPECT_TRUE(timer.Enabled());
    // Already enabled: nothing is tried again; a new interval tries again.
    EXPECT_NO_THROW(timer.SetEnabled(true));
    EXPECT_THROW(timer.SetInterval(500), runtime::EOutOfResources);
    EXPECT_EQ(timer.Interval(), 500u);

    service.refuse = false;
    service.advance(Ms(5000));
    EXPECT_TRUE(ticks.empty());
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    service.advance(Ms(500));
    EXPECT_EQ(ticks, (std::vector<long>{5500}));
}

TEST_F(TTimerTest, DestroyingARunningTimerRemovesItsWakeUp)
{
    {
        TTimer other(service);
        other.SetOnTimer([] {});
        other.SetEnabled(true);
        EXPECT_TRUE(service.deadline);
    }
    EXPECT_FALSE(service.deadline);
}

} // namespace
