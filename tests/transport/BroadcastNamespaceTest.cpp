// Real broadcasts, sent only inside network namespaces the tests create.
#include "support/NetNamespace.h"
#include "transport/EIdSocketError.h"
#include "transport/TIdSocketHandle.h"
#include "transport/TIdUDPClient.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

using namespace transport;
using testsupport::NetNamespace;

namespace {

constexpr std::uint16_t kPort = 16520;

// A UDP socket on port 16520 of every address of the namespace it was opened in.
class Receiver {
public:
    explicit Receiver(const char* address = "0.0.0.0")
    {
        fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(kPort);
        inet_pton(AF_INET, address, &local.sin_addr);
        bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local);
        // A bound on waiting, not a timing assumption: a lost datagram fails the test.
        timeval limit{5, 0};
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    }
    ~Receiver() { close(fd_); }

    // The next datagram whole (MSG_TRUNC reports its real length), if one comes.
    std::optional<std::string> Next()
    {
        std::string buffer(70000, '\0');
        const ssize_t n = recv(fd_, buffer.data(), buffer.size(), MSG_TRUNC);
        if (n < 0) {
            return std::nullopt;
        }
        buffer.resize(static_cast<std::size_t>(n));
        return buffer;
    }

private:
    int fd_ = -1;
};

int BroadcastOption(const TIdUDPClient& client)
{
    int value = -1;
    socklen_t length = sizeof value;
    getsockopt(client.Binding()->Socket(), SOL_SOCKET, SO_BROADCAST, &value, &length);
    return value;
}

// Bytes 0 to 255 over and over, so any reordering or loss shows.
std::string Pattern(std::size_t size)
{
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        text[i] = static_cast<char>(i % 256);
    }
    return text;
}

// A sending namespace with a veth peer in which a receiver listens.
class PeerNamespaceTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!ns.Ready()) {
            GTEST_SKIP() << ns.SkipReason();
        }
        ns.RunInReceiver([&] { receiver.emplace(); });
    }

    NetNamespace ns;
    std::optional<Receiver> receiver;
    TIdUDPClient client;
};

class BroadcastSizeTest : public PeerNamespaceTest,
                          public testing::WithParamInterface<std::size_t> {};

TEST_P(BroadcastSizeTest, ArrivesInThePeerNamespaceAsOneDatagramOfTheSameBytes)
{
    const std::string text = Pattern(GetParam());

    ns.RunInSender([&] { client.SendBroadcast(text, kPort); });

    const std::optional<std::string> received = receiver->Next();
    ASSERT_TRUE(received.has_value()) << "no datagram arrived";
    EXPECT_EQ(received->size(), text.size());
    EXPECT_EQ(*received, text);
    EXPECT_EQ(BroadcastOption(client), 0);
}

// 0: an empty text; 9000: more than BufferSize, which sending ignores.
INSTANTIATE_TEST_SUITE_P(Sizes, BroadcastSizeTest, testing::Values(200, 0, 9000));

TEST(BroadcastNamespaceTest, WithoutARouteTheSendIsNetworkUnreachableAndTheSocketStaysUsable)
{
    NetNamespace ns(NetNamespace::Layout::LoopbackOnly);
    if (!ns.Ready()) {
        GTEST_SKIP() << ns.SkipReason();
    }
    TIdUDPClient client;
    std::optional<Receiver> receiver;
    ns.RunInSender([&] {
        receiver.emplace("127.0.0.1");
        try {
            client.SendBroadcast("rain", kPort);
            ADD_FAILURE() << "no exception";
        } catch (const EIdSocketError& e) {
            EXPECT_EQ(e.ErrorCode(), 10051);
            EXPECT_EQ(e.Message(), "Socket Error # 10051\r\nNetwork is unreachable.");
        }
        client.SendText("127.0.0.1", kPort, "still usable");
    });

    EXPECT_EQ(receiver->Next(), "still usable");
}

TEST_F(PeerNamespaceTest, ATooLongTextIsPackageSizeTooBigAndTheNextSendLeavesTheOptionOff)
{
    ns.RunInSender([&] {
        try {
            client.SendBroadcast(std::string(70000, 'r'), kPort);
            ADD_FAILURE() << "no exception";
        } catch (const EIdPackageSizeTooBig& e) {
            EXPECT_EQ(e.Message(), "Package Size Too Big.");
        }
        EXPECT_NE(BroadcastOption(client), 0);
        client.SendBroadcast("after", kPort);
    });

    EXPECT_EQ(BroadcastOption(client), 0);
    EXPECT_EQ(receiver->Next(), "after");
}

} // namespace
