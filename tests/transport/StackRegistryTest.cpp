// The shared stack: created by the first component, destroyed by the last,
// safe from any thread.
#include "transport/StackRegistry.h"
#include "transport/EIdException.h"
#include "transport/SocketEntryTable.h"
#include "transport/SocketLibrary.h"
#include "transport/TIdStackPosix.h"
#include "transport/TIdUDPClient.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace transport;

namespace {

std::atomic<int> liveStacks{0};
std::atomic<int> mostLiveStacks{0};
std::atomic<int> stacksBuilt{0};

// Counts the stacks alive at once.
class CountedStack : public TIdStackPosix {
public:
    CountedStack()
    {
        ++stacksBuilt;
        const int live = ++liveStacks;
        int most = mostLiveStacks.load();
        while (live > most && !mostLiveStacks.compare_exchange_weak(most, live)) {
        }
    }
    ~CountedStack() override { --liveStacks; }
};

class StackRegistryTest : public testing::Test {
protected:
    void SetUp() override
    {
        liveStacks = mostLiveStacks = stacksBuilt = 0;
        SetStackClass(
            []() -> std::unique_ptr<TIdStack> { return std::make_unique<CountedStack>(); });
    }
    void TearDown() override { SetStackClass(nullptr); }
};

TEST_F(StackRegistryTest, TheFirstComponentCreatesTheStackAndTheLastDestroysIt)
{
    auto first = std::make_unique<TIdUDPClient>();
    TIdStack* stack = SharedStack();
    auto second = std::make_unique<TIdUDPClient>();
    EXPECT_EQ(SharedStack(), stack);
    EXPECT_EQ(StackUserCount(), 2);

    first.reset();
    EXPECT_EQ(SharedStack(), stack);
    second.reset();
    EXPECT_EQ(SharedStack(), nullptr);
    EXPECT_EQ(liveStacks, 0);
    EXPECT_EQ(stacksBuilt, 1);
}

TEST_F(StackRegistryTest, ALaterStackDoesNotStartTheLibraryAgain)
{
    {
        TIdUDPClient first;
    }
    SocketEntries().htons(1);
    ASSERT_TRUE(StackStarted());

    TIdUDPClient third;

    EXPECT_EQ(stacksBuilt, 2);
    EXPECT_TRUE(StackStarted());
    EXPECT_TRUE(SocketEntries().htons.IsBound());
}

TEST_F(StackRegistryTest, AStackThatCannotStartFailsTheComponentAndRegistersNothing)
{
    SetStackClass([]() -> std::unique_ptr<TIdStack> {
        throw EIdStackInitializationFailed("Winsock Initialization Error.");
    });

    EXPECT_THROW(TIdUDPClient client, EIdStackInitializationFailed);

    EXPECT_EQ(StackUserCount(), 0);
    EXPECT_EQ(SharedStack(), nullptr);
}

TEST_F(StackRegistryTest, ComponentsComeAndGoOnManyThreadsWithOneStackAtATime)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < 200; ++i) {
                TIdUDPClient client;
                EXPECT_NE(SharedStack(), nullptr);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }

    EXPECT_EQ(StackUserCount(), 0);
    EXPECT_EQ(SharedStack(), nullptr);
    EXPECT_EQ(mostLiveStacks, 1);
}

} // namespace
