// The 64-slot socket list and select over such lists.
#include "transport/EIdException.h"
#include "transport/TIdSocketListPosix.h"
#include "transport/TIdStackPosix.h"

#include <gtest/gtest.h>
#include <sys/select.h>

using namespace transport;

namespace {

TEST(SocketListTest, HoldsSixtyFourDescriptorsAndRefusesTheNext)
{
    TIdSocketListPosix list;
    for (int socket = 0; socket < 64; ++socket) {
        list.Add(socket);
    }
    EXPECT_EQ(list.Count(), 64);
    try {
        list.Add(64);
        FAIL() << "no exception";
    } catch (const EIdStackSetSizeExceeded& e) {
        EXPECT_EQ(e.Message(), "Set Size Exceeded.");
    }
}

TEST(SocketListTest, ReadingOutsideTheListIsSetSizeExceeded)
{
    TIdSocketListPosix list;
    list.Add(5);
    EXPECT_EQ(list.Item(0), 5);
    EXPECT_THROW(list.Item(1), EIdStackSetSizeExceeded);
    EXPECT_THROW(list.Item(-1), EIdStackSetSizeExceeded);
}

TEST(SocketListTest, RemovingMovesTheLastIntoThePlace)
{
    TIdSocketListPosix list;
    for (int socket : {3, 4, 5, 6}) {
        list.Add(socket);
    }
    list.Remove(4);
    list.Remove(99);

    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Item(0), 3);
    EXPECT_EQ(list.Item(1), 6);
    EXPECT_EQ(list.Item(2), 5);
}

class SelectTest : public testing::Test {
protected:
    void SetUp() override { socket_ = stack.NewSocket(SOCK_DGRAM, 0); }
    void TearDown() override { stack.SockClose(socket_); }

    TIdStackPosix stack;
    int socket_ = -1;
};

TEST_F(SelectTest, KeepsOnlyTheReadyDescriptors)
{
    TIdSocketListPosix read;
    TIdSocketListPosix write;
    read.Add(socket_);
    write.Add(socket_);

    EXPECT_EQ(stack.SockSelect(&read, &write, 0, nullptr), 1);

    EXPECT_EQ(read.Count(), 0);
    ASSERT_EQ(write.Count(), 1);
    EXPECT_EQ(write.Item(0), socket_);
}

TEST_F(SelectTest, ADescriptorBeyondTheSetIsRefusedBeforeAnyCall)
{
    TIdSocketListPosix read;
    read.Add(FD_SETSIZE);

    EXPECT_THROW(stack.SockSelect(&read, nullptr, 0, nullptr), EIdStackSetSizeExceeded);
}

} // namespace
