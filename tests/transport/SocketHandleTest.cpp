// The socket handle's names and state, over a loopback UDP socket that sends
// nothing (connect on UDP only records the peer).
#include "transport/StackRegistry.h"
#include "transport/TIdSocketHandle.h"
#include "transport/TIdUDPClient.h"

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

} // namespace
