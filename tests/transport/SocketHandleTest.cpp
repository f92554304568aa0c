// The socket handle's names, state and closing, over a loopback UDP socket
// that sends nothing (connect on UDP only records the peer) or over the
// recording entries.
#include "transport/EIdWS2StubError.h"
#include "transport/RecordingEntries.h"
#include "transport/StackRegistry.h"
#include "transport/TIdSocketHandle.h"
#include "transport/TIdUDPClient.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

using namespace transport;

namespace {

TEST(SocketHandleTest, ConnectingFillsTheLocalAndRemoteNames)
{
    TIdUDPClient owner;
    TIdSocketHandle handle;
    handle.OpenSocket(SOCK_DGRAM, 0);
    handle.SetRemoteIP("127.0.0.1");
    handle.SetRemotePort(16520);

    ASSERT_EQ(handle.ConnectPeer(AF_INET), 0);

    EXPECT_EQ(handle.IP(), "127.0.0.1");
    EXPECT_NE(handle.Port(), 0);
    EXPECT_EQ(handle.RemoteIP(), "127.0.0.1");
    EXPECT_EQ(handle.RemotePort(), 16520);
}

TEST(SocketHandleTest, ClosingKeepsTheDescriptorNumberUntilTheStateIsReset)
{
    TIdUDPClient owner;
    TIdSocketHandle handle;
    handle.OpenSocket(SOCK_DGRAM, 0);
    const int socket = handle.Socket();
    handle.SetIP("10.0.0.1");
    handle.SetRemotePort(7);

    handle.Close();
    EXPECT_FALSE(handle.IsOpen());
    EXPECT_EQ(handle.Socket(), socket);

    handle.ResetState(false);
    EXPECT_EQ(handle.Socket(), -1);
    EXPECT_EQ(handle.IP(), "10.0.0.1");
    EXPECT_EQ(handle.RemotePort(), 0);
}

TEST(SocketHandleTest, AShutdownThatRaisesStillClosesTheDescriptorOnce)
{
    transporttest::RecordingEntries entries;
    TIdUDPClient owner;
    TIdSocketHandle handle;
    handle.OpenSocket(SOCK_DGRAM, 0);
    entries.shutdownRaises = true;
    entries.ClearCalls();

    EXPECT_THROW(handle.Close(), EIdWS2StubError);
    EXPECT_THAT(entries.calls, testing::ElementsAre("shutdown(100, 1)", "close(100)"));
    EXPECT_FALSE(handle.IsOpen());

    entries.ClearCalls();
    handle.Close();
    EXPECT_TRUE(entries.calls.empty());
}

} // namespace
