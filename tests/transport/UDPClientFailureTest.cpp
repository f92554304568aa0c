// Every failure of a send raises its exception with its message, and none
// closes the socket.
#include "transport/EIdSocketError.h"
#include "transport/RecordingEntries.h"
#include "transport/StackRegistry.h"
#include "transport/TIdSocketHandle.h"
#include "transport/TIdStack.h"
#include "transport/TIdUDPClient.h"

#include <cerrno>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace transport;
using transporttest::RecordingEntries;

namespace {

template <typename E> bool Is(const EIdException& e)
{
    return dynamic_cast<const E*>(&e) != nullptr;
}

struct SendFailureRow {
    const char* name;
    int sendErrno;
    std::size_t shortBy;
    bool (*isExpectedClass)(const EIdException&);
    const char* message;
    std::int32_t code; // for EIdSocketError; 0 otherwise
};

class SendFailureTest : public testing::TestWithParam<SendFailureRow> {
protected:
    RecordingEntries entries;
    TIdUDPClient client;
};

TEST_P(SendFailureTest, RaisesAndLeavesTheSocketOpenWithTheOptionOn)
{
    const SendFailureRow row = GetParam();
    client.SendBroadcast("warm-up", 16520);
    entries.sendErrno = row.sendErrno;
    entries.sendShortBy = row.shortBy;

    try {
        client.SendBroadcast(std::string(70000, 'r'), 16520);
        FAIL() << "no exception";
    } catch (const EIdException& e) {
        EXPECT_TRUE(row.isExpectedClass(e)) << typeid(e).name();
        EXPECT_EQ(e.Message(), row.message);
        if (const auto* socketError = dynamic_cast<const EIdSocketError*>(&e)) {
            EXPECT_EQ(socketError->ErrorCode(), row.code);
            EXPECT_EQ(SharedStack()->LastSocketError(), row.code);
        }
    }
    EXPECT_TRUE(client.Active());
    EXPECT_EQ(entries.broadcastOption[100], -1);
    EXPECT_THAT(entries.calls, testing::Not(testing::Contains(testing::StartsWith("close"))));

    entries.sendErrno = 0;
    entries.sendShortBy = 0;
    client.SendBroadcast("good", 16520);
    EXPECT_EQ(entries.broadcastOption[100], 0);
    EXPECT_EQ(entries.lastPayload, "good");
}

INSTANTIATE_TEST_SUITE_P(
    Failures, SendFailureTest,
    testing::Values(SendFailureRow{"MessageTooLong", EMSGSIZE, 0, &Is<EIdPackageSizeTooBig>,
                                   "Package Size Too Big.", 0},
                    SendFailureRow{"NetworkUnreachable", ENETUNREACH, 0, &Is<EIdSocketError>,
                                   "Socket Error # 10051\r\nNetwork is unreachable.", 10051},
                    SendFailureRow{"AccessDenied", EACCES, 0, &Is<EIdSocketError>,
                                   "Socket Error # 10013\r\nAccess denied.", 10013},
                    SendFailureRow{"NotInTheTable", EPERM, 0, &Is<EIdSocketError>,
                                   "Socket Error # 10001\r\n", 10001},
                    SendFailureRow{"ShortSend", 0, 1, &Is<EIdNotAllBytesSent>,
                                   "Not all bytes sent.", 0}),
    [](const testing::TestParamInfo<SendFailureRow>& info) { return info.param.name; });

TEST(SocketFailureTest, NoSocketIsInvalidSocketAndTheNextSendTriesAgain)
{
    RecordingEntries entries;
    TIdUDPClient client;
    entries.socketErrno = EMFILE;

    try {
        client.SendBroadcast("x", 16520);
        FAIL() << "no exception";
    } catch (const EIdInvalidSocket& e) {
        EXPECT_EQ(e.Message(), "Cannot allocate socket.");
    }
    ASSERT_NE(client.Binding(), nullptr);
    EXPECT_FALSE(client.Binding()->IsOpen());

    entries.socketErrno = 0;
    entries.ClearCalls();
    client.SendBroadcast("x", 16520);
    EXPECT_EQ(entries.calls.front(), "socket(AF_INET, SOCK_DGRAM|SOCK_CLOEXEC, 0)");
    EXPECT_EQ(entries.lastPayload, "x");
}

TEST(SocketFailureTest, ARefusedOptionIsSocketErrorAndKeepsTheSocketOpen)
{
    RecordingEntries entries;
    TIdUDPClient client;
    client.SetActive(true);
    entries.setOptionErrno = ENOPROTOOPT;

    try {
        client.SendBroadcast("x", 16520);
        FAIL() << "no exception";
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(e.ErrorCode(), 10042);
        EXPECT_EQ(e.Message(), "Socket Error # 10042\r\nBad protocol option.");
    }
    EXPECT_TRUE(client.Binding()->IsOpen());
    EXPECT_THAT(entries.calls, testing::Not(testing::Contains(testing::StartsWith("shutdown"))));
}

} // namespace
