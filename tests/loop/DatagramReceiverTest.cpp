// Real datagrams, sent and received only inside network namespaces the
// tests create.
#include "loop/DatagramReceiver.h"
#include "support/NetNamespace.h"
#include "transport/EIdSocketError.h"

#include <QCoreApplication>
#include <QThread>

#include <arpa/inet.h>
#include <chrono>
#include <gtest/gtest.h>
#include <map>
#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using loop::DatagramReceiver;
using loop::ReceivedDatagram;
using testsupport::NetNamespace;
using namespace std::chrono;

namespace {

constexpr std::uint16_t kPort = 16520;

struct Copy {
    std::string bytes;
    std::string sourceIp;
    std::uint16_t sourcePort = 0;
    std::uint16_t localPort = 0;
    system_clock::time_point received;
};

// A plain socket of the sending namespace, as another node or a scanner is.
class Peer {
public:
    Peer()
    {
        fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
        timeval limit{30, 0};
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local);
    }
    ~Peer() { close(fd_); }

    void Send(const std::string& bytes, const char* to = "255.255.255.255") const
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(kPort);
        inet_pton(AF_INET, to, &address.sin_addr);
        ASSERT_EQ(sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&address),
                         sizeof address),
                  static_cast<ssize_t>(bytes.size()));
    }

    // The next datagram and the port it came from, if one comes within 5 s.
    std::optional<std::pair<std::string, std::uint16_t>> Next() const
    {
        std::string buffer(2048, '\0');
        sockaddr_in from{};
        socklen_t size = sizeof from;
        const ssize_t n = recvfrom(fd_, buffer.data(), buffer.size(), 0,
                                   reinterpret_cast<sockaddr*>(&from), &size);
        if (n < 0)
            return std::nullopt;
        buffer.resize(static_cast<std::size_t>(n));
        return std::make_pair(buffer, ntohs(from.sin_port));
    }

    std::uint16_t Port() const
    {
        sockaddr_in local{};
        socklen_t size = sizeof local;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &size);
        return ntohs(local.sin_port);
    }

private:
    int fd_ = -1;
};

class DatagramReceiverTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!ns.Ready())
            GTEST_SKIP() << ns.SkipReason();
        ns.RunInSender([&] { peer.emplace(); });
    }

    // A receiver whose socket lives in the receiving namespace and whose
    // notifier runs on this thread's event loop.
    std::unique_ptr<DatagramReceiver> Listen(loop::ReceiverOptions options, std::vector<Copy>& into)
    {
        std::unique_ptr<DatagramReceiver> receiver;
        std::exception_ptr failure;
        QThread* here = QThread::currentThread();
        // A QThread, since the receiver's notifier needs Qt's dispatcher.
        std::unique_ptr<QThread> opener(QThread::create([&] {
            try {
                ns.EnterReceiver();
                receiver =
                    std::make_unique<DatagramReceiver>(options, [&into](const ReceivedDatagram& d) {
                        into.push_back({std::string(d.bytes), d.sourceIp, d.sourcePort, d.localPort,
                                        d.received});
                    });
                receiver->moveToThread(here);
            } catch (...) {
                failure = std::current_exception();
            }
        }));
        opener->start();
        opener->wait();
        if (failure)
            std::rethrow_exception(failure);
        return receiver;
    }

    // Runs the event loop until `count` datagrams are in, or 30 s have
    // passed on a machine too loaded to tell.
    static void WaitFor(const std::vector<Copy>& copies, std::size_t count)
    {
        const auto limit = steady_clock::now() + seconds(30);
        while (copies.size() < count && steady_clock::now() < limit)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }

    // A blocking socket in the receiver's namespace on the port, with address
    // reuse, that gives up after 30 s.
    int WitnessSocket() const
    {
        int witness = -1;
        ns.RunInReceiver([&] {
            witness = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
            const int on = 1;
            setsockopt(witness, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
            const timeval limit{30, 0};
            setsockopt(witness, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
            sockaddr_in local{};
            local.sin_family = AF_INET;
            local.sin_port = htons(kPort);
            ASSERT_EQ(bind(witness, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
        });
        return witness;
    }

    int argc = 1;
    char name[16] = "receiver_test";
    char* argv[1] = {name};
    QCoreApplication application{argc, argv};
    NetNamespace ns;
    std::optional<Peer> peer;
};

TEST_F(DatagramReceiverTest, ABroadcastArrivesWithItsSourceItsPortAndTheKernelsTime)
{
    std::vector<Copy> copies;
    const auto receiver = Listen({}, copies);
    // A second socket on the port gets each broadcast in the same delivery:
    // once it holds both, they wait in the receiver's socket too.
    const int witness = WitnessSocket();
    const auto before = system_clock::now();
    ns.RunInSender([&] {
        peer->Send(std::string("rain\0\x1b[2J", 10));
        peer->Send("second");
    });
    char buffer[16];
    ASSERT_EQ(recv(witness, buffer, sizeof buffer, 0), 10);
    ASSERT_EQ(recv(witness, buffer, sizeof buffer, 0), 6);
    close(witness);
    // Read after this moment: the time must still be the arrival's.
    const auto after = system_clock::now();
    WaitFor(copies, 2);

    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[0].bytes, std::string("rain\0\x1b[2J", 10));
    EXPECT_EQ(copies[1].bytes, "second");
    EXPECT_EQ(copies[0].sourceIp, NetNamespace::kSenderAddress);
    EXPECT_EQ(copies[0].sourcePort, peer->Port());
    EXPECT_EQ(copies[0].localPort, kPort);
    EXPECT_EQ(receiver->localPort(), kPort);
    EXPECT_GE(copies[0].received, before);
    EXPECT_LE(copies[1].received, after);
    EXPECT_LE(copies[0].received, copies[1].received);
}

// `size` bytes that tell their positions apart, differing with `seed`.
std::string Pattern(std::size_t size, int seed)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + static_cast<std::size_t>(seed)) % 251);
    return bytes;
}

// More than one system call's worth, with long datagrams among small ones
// (the largest UDP carries, two long ones side by side, sizes around the
// point where a datagram goes on past its slot): each keeps its own bytes
// and its own kernel time.
TEST_F(DatagramReceiverTest, ABurstArrivesWholeInOrderWithEachItsOwnTime)
{
    std::vector<Copy> copies;
    loop::ReceiverOptions options;
    options.receiveBuffer = 8 << 20;
    const auto receiver = Listen(options, copies);
    const std::map<int, std::size_t> longOnes = {{7, 2047}, {8, 2048}, {9, 2049},
                                                 {40, 65507}, {41, 30000}, {70, 4096}};
    std::vector<std::string> sent;
    for (int i = 0; i < 100; ++i) {
        const auto size = longOnes.find(i);
        sent.push_back(size != longOnes.end() ? Pattern(size->second, i)
                                              : "datagram " + std::to_string(i));
    }
    const auto before = system_clock::now();
    ns.RunInSender([&] {
        for (const std::string& bytes : sent)
            peer->Send(bytes, NetNamespace::kReceiverAddress);
    });
    WaitFor(copies, sent.size());
    const auto after = system_clock::now();

    ASSERT_EQ(copies.size(), sent.size());
    for (std::size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(copies[i].bytes, sent[i]) << i;
        EXPECT_GE(copies[i].received, before) << i;
        EXPECT_LE(copies[i].received, after) << i;
        if (i > 0) {
            EXPECT_LE(copies[i - 1].received, copies[i].received) << i;
        }
    }
    EXPECT_EQ(receiver->kernelDrops(), 0u);
}

// A stop reads what waits in the socket without the event loop: nothing
// that arrived while the receiver gathered is left behind.
TEST_F(DatagramReceiverTest, WhatWaitsIsReadAtOnceOnRequest)
{
    std::vector<Copy> copies;
    const auto receiver = Listen({}, copies);
    const int witness = WitnessSocket();
    ns.RunInSender([&] {
        for (const char* bytes : {"one", "two", "three"})
            peer->Send(bytes);
    });
    char buffer[16];
    for (int i = 0; i < 3; ++i)
        ASSERT_GT(recv(witness, buffer, sizeof buffer, 0), 0);
    close(witness);

    receiver->readQueued();
    ASSERT_EQ(copies.size(), 3u);
    EXPECT_EQ(copies[0].bytes, "one");
    EXPECT_EQ(copies[2].bytes, "three");
}

TEST_F(DatagramReceiverTest, ReceiversSharingThePortEachGetEveryBroadcast)
{
    std::vector<Copy> first;
    std::vector<Copy> second;
    const auto a = Listen({}, first);
    const auto b = Listen({}, second);
    // Another program on the machine that asked only for address reuse.
    int other = -1;
    ns.RunInReceiver([&] {
        other = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        setsockopt(other, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(kPort);
        ASSERT_EQ(bind(other, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    });
    ns.RunInSender([&] { peer->Send("shared"); });
    WaitFor(first, 1);
    WaitFor(second, 1);
    char buffer[16] = {};
    const ssize_t n = recv(other, buffer, sizeof buffer, MSG_DONTWAIT);
    close(other);

    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(first[0].bytes, "shared");
    EXPECT_EQ(second[0].bytes, "shared");
    EXPECT_EQ(std::string(buffer, n > 0 ? n : 0), "shared");
}

TEST_F(DatagramReceiverTest, AReplyLeavesFromTheBoundPortToTheRequester)
{
    std::vector<Copy> copies;
    const auto receiver = Listen({}, copies);
    ns.RunInSender([&] { peer->Send("<NODESCAN/>"); });
    WaitFor(copies, 1);
    ASSERT_EQ(copies.size(), 1u);

    receiver->sendTo(copies[0].sourceIp, copies[0].sourcePort, "<NODE/>");
    std::optional<std::pair<std::string, std::uint16_t>> reply;
    ns.RunInSender([&] { reply = peer->Next(); });

    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->first, "<NODE/>");
    EXPECT_EQ(reply->second, kPort);
}

TEST_F(DatagramReceiverTest, WhatTheKernelDropsIsCountedAndTheRestIsRead)
{
    // The smallest buffer the kernel grants holds only a few datagrams.
    std::vector<Copy> copies;
    loop::ReceiverOptions options;
    options.receiveBuffer = 1;
    const auto receiver = Listen(options, copies);
    constexpr std::size_t kSent = 600;
    ns.RunInSender([&] {
        for (std::size_t i = 0; i < kSent; ++i)
            peer->Send(std::string(1000, 'x'));
    });
    WaitFor(copies, 1);
    // The kernel reports the drops so far with the next datagram it queues.
    ns.RunInSender([&] { peer->Send("after"); });
    const auto limit = steady_clock::now() + seconds(30);
    while (copies.size() + receiver->kernelDrops() < kSent + 1 && steady_clock::now() < limit)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);

    EXPECT_GT(receiver->kernelDrops(), 0u);
    ASSERT_GT(copies.size(), 1u);
    EXPECT_EQ(copies.back().bytes, "after");
    EXPECT_EQ(copies.size() + receiver->kernelDrops(), kSent + 1);
    EXPECT_LT(receiver->receiveBufferSize(), 65536);
}

TEST_F(DatagramReceiverTest, PortZeroTakesAFreePortAndABadInterfaceIsRefused)
{
    std::vector<Copy> copies;
    loop::ReceiverOptions options;
    options.port = 0;
    const auto ephemeral = Listen(options, copies);
    EXPECT_NE(ephemeral->localPort(), 0);

    options.interfaceName = "no-such-if0";
    EXPECT_THROW(Listen(options, copies), transport::EIdSocketError);
}

struct ArrivalCase {
    const char* name;
    // The wall clock's reading when the datagram was read, from its kernel time.
    std::chrono::milliseconds readAfter;
    // Its arrival, from the monotonic reading then.
    std::chrono::milliseconds arrivedBefore;
};

class Arrivals : public testing::TestWithParam<ArrivalCase> {};

// The kernel's time is the wall clock's; the arrival on the monotonic clock
// is the read time less the wait, kept sane when the wall clock stepped.
TEST_P(Arrivals, AreTheReadTimeLessTheWaitWithin0To10Seconds)
{
    const auto kernel = std::chrono::system_clock::time_point(std::chrono::hours(500000));
    const auto steady = std::chrono::steady_clock::time_point(std::chrono::hours(3));
    EXPECT_EQ(loop::ArrivalOnSteadyClock(kernel, kernel + GetParam().readAfter, steady),
              steady - GetParam().arrivedBefore);
}

INSTANTIATE_TEST_SUITE_P(
    WallClock, Arrivals,
    testing::Values(
        ArrivalCase{"ReadAtOnce", std::chrono::milliseconds(0), std::chrono::milliseconds(0)},
        ArrivalCase{"Queued", std::chrono::milliseconds(1500), std::chrono::milliseconds(1500)},
        ArrivalCase{"SteppedBack", -std::chrono::hours(1), std::chrono::milliseconds(0)},
        ArrivalCase{"SteppedForward", std::chrono::hours(24), std::chrono::seconds(10)}),
    [](const testing::TestParamInfo<ArrivalCase>& info) { return info.param.name; });

} // namespace
