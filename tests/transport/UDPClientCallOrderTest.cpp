// The platform calls the datagram client makes, in order, through recording
// socket entries.
#include "transport/EIdSocketError.h"
#include "transport/RecordingEntries.h"
#include "transport/StackRegistry.h"
#include "transport/TIdSocketHandle.h"
#include "transport/TIdUDPClient.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace transport;
using testing::ElementsAre;
using transporttest::RecordingEntries;

namespace {

const std::string kOpen = "socket(AF_INET, SOCK_DGRAM|SOCK_CLOEXEC, 0)";

std::string Option(int socket, int value)
{
    return "setsockopt(" + std::to_string(socket) + ", SOL_SOCKET, SO_BROADCAST, " +
           std::to_string(value) + ", 4)";
}

std::string SendTo(int socket, std::size_t bytes, const std::string& destination)
{
    return "sendto(" + std::to_string(socket) + ", " + std::to_string(bytes) +
           " bytes, MSG_NOSIGNAL, " + destination + ", 16)";
}

class UDPClientCallOrderTest : public testing::Test {
protected:
    RecordingEntries entries;
    TIdUDPClient client;
};

TEST_F(UDPClientCallOrderTest, FirstBroadcastOpensOneSocketAndSwitchesTheOptionAroundTheSend)
{
    client.SendBroadcast(std::string(129, 'x'), 16520);

    EXPECT_THAT(entries.calls,
                ElementsAre(kOpen, Option(100, 0), Option(100, -1), "htons(16520)",
                            SendTo(100, 129, "255.255.255.255:16520"), Option(100, 0)));
    EXPECT_EQ(client.Binding()->Port(), 0);
    EXPECT_EQ(client.Binding()->IP(), "");
}

TEST_F(UDPClientCallOrderTest, LaterBroadcastsReuseTheSocket)
{
    client.SendBroadcast("first", 16520);
    entries.ClearCalls();

    client.SendBroadcast("second", 16520);

    EXPECT_THAT(entries.calls,
                ElementsAre(Option(100, -1), "htons(16520)",
                            SendTo(100, 6, "255.255.255.255:16520"), Option(100, 0)));
}

TEST_F(UDPClientCallOrderTest, EmptyTextIsAZeroLengthDatagram)
{
    client.SendBroadcast("", 16520);

    EXPECT_EQ(entries.calls.at(4), SendTo(100, 0, "255.255.255.255:16520"));
}

TEST_F(UDPClientCallOrderTest, OnlyTheLow16BitsOfThePortCount)
{
    client.SendBroadcast("x", 65536 + 16520);

    EXPECT_EQ(entries.calls.at(3), "htons(16520)");
    EXPECT_EQ(entries.calls.at(4), SendTo(100, 1, "255.255.255.255:16520"));
}

TEST_F(UDPClientCallOrderTest, BroadcastEnabledBeforeTheFirstSendStaysOn)
{
    client.SetBroadcastEnabled(true);
    EXPECT_TRUE(entries.calls.empty());

    client.SendBroadcast("x", 16520);

    EXPECT_THAT(entries.calls,
                ElementsAre(kOpen, Option(100, -1), Option(100, -1), "htons(16520)",
                            SendTo(100, 1, "255.255.255.255:16520"), Option(100, -1)));
}

TEST_F(UDPClientCallOrderTest, BroadcastEnabledChangesAnOpenSocketAtOnce)
{
    client.SetActive(true);
    entries.ClearCalls();

    client.SetBroadcastEnabled(true);

    EXPECT_THAT(entries.calls, ElementsAre(Option(100, -1)));
}

TEST_F(UDPClientCallOrderTest, DeactivatingClosesTheSocketAndTheNextSendOpensANewOne)
{
    client.SendBroadcast("x", 16520);
    entries.ClearCalls();

    client.SetActive(false);
    EXPECT_THAT(entries.calls, ElementsAre("shutdown(100, 1)", "close(100)"));
    EXPECT_EQ(client.Binding(), nullptr);

    client.SendBroadcast("x", 16520);
    EXPECT_EQ(entries.calls.at(2), kOpen);
    EXPECT_EQ(entries.calls.at(6), SendTo(101, 1, "255.255.255.255:16520"));
}

TEST_F(UDPClientCallOrderTest, ActiveWrittenWhileLoadingOpensTheSocketWhenLoaded)
{
    client.BeginLoading();
    client.SetActive(true);
    EXPECT_TRUE(client.Active());
    EXPECT_TRUE(entries.calls.empty());

    client.Loaded();

    EXPECT_THAT(entries.calls, ElementsAre(kOpen, Option(100, 0)));
    EXPECT_TRUE(client.Binding()->IsOpen());
}

TEST(UDPClientLifetimeTest, DestroyingAnOpenClientClosesOnceAndThenLeavesTheStack)
{
    RecordingEntries entries;
    {
        TIdUDPClient client;
        client.SendBroadcast("x", 16520);
        entries.ClearCalls();
        EXPECT_NE(SharedStack(), nullptr);
    }
    EXPECT_THAT(entries.calls, ElementsAre("shutdown(100, 1)", "close(100)"));
    EXPECT_EQ(SharedStack(), nullptr);
}

// Host texts of SendText and where the datagram goes.
struct HostRow {
    const char* host;
    const char* destination;
    bool lookedUp;
};

class UDPClientHostTest : public UDPClientCallOrderTest,
                          public testing::WithParamInterface<HostRow> {};

TEST_P(UDPClientHostTest, SendsToTheResolvedAddress)
{
    entries.hosts["node.example"] = "10.1.2.3";
    const HostRow row = GetParam();

    client.SendText(row.host, 16520, "abc");

    EXPECT_EQ(entries.calls.back(), SendTo(100, 3, std::string(row.destination) + ":16520"));
    EXPECT_EQ(entries.calls.front() == std::string("gethostbyname(") + row.host + ")",
              row.lookedUp);
}

INSTANTIATE_TEST_SUITE_P(Hosts, UDPClientHostTest,
                         testing::Values(HostRow{"localhost", "127.0.0.1", false},
                                         HostRow{"LocalHost", "127.0.0.1", false},
                                         HostRow{"1.2.3", "1.2.0.3", false},
                                         HostRow{"4294967295", "255.255.255.255", false},
                                         HostRow{"node.example", "10.1.2.3", true}));

TEST_F(UDPClientCallOrderTest, NamesAreLookedUpOnEverySend)
{
    entries.hosts["node.example"] = "10.1.2.3";
    client.SendText("node.example", 16520, "a");
    client.SendText("node.example", 16520, "b");

    EXPECT_EQ(std::count(entries.calls.begin(), entries.calls.end(), "gethostbyname(node.example)"),
              2);
}

TEST_F(UDPClientCallOrderTest, AnUnknownHostIsSocketError11001AndNothingIsSent)
{
    try {
        client.SendText("nowhere.example", 16520, "a");
        FAIL() << "no exception";
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(e.ErrorCode(), 11001);
        EXPECT_EQ(e.Message(), "Socket Error # 11001\r\nHost not found.");
    }
    EXPECT_THAT(entries.calls, ElementsAre("gethostbyname(nowhere.example)"));
}

} // namespace
