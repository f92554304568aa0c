// A batch goes out in order and byte for byte, in as few calls as the
// system takes; a datagram the system refuses is reported on its own and
// the rest still go out.
#include "transport/DatagramBatch.h"
#include "transport/EIdException.h"
#include "transport/EIdSocketError.h"
#include "transport/SocketEntryTable.h"
#include "transport/TIdComponent.h"
#include "transport/TIdSocketHandle.h"

#include <arpa/inet.h>
#include <cerrno>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

using namespace transport;

namespace {

// What the fake system does: the datagrams it has taken, "ip:port bytes";
// the errno of the datagram at a position (counted over the whole test);
// at most this many a call; a datagram it takes short.
struct FakeSystem {
    std::vector<std::string> wire;
    std::map<std::size_t, int> failAt;
    unsigned mostPerCall = 1024;
    std::size_t shortAt = SIZE_MAX;
    int interruptions = 0;
    std::size_t seen = 0;
    int calls = 0;
} fake;

std::string Destination(const msghdr& header)
{
    const auto* to = static_cast<const sockaddr_in*>(header.msg_name);
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &to->sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(to->sin_port));
}

int FakeSendMany(int, mmsghdr* messages, unsigned count, int)
{
    ++fake.calls;
    if (fake.interruptions > 0) {
        --fake.interruptions;
        errno = EINTR;
        return -1;
    }
    unsigned done = 0;
    for (; done < count && done < fake.mostPerCall; ++done, ++fake.seen) {
        if (const auto failure = fake.failAt.find(fake.seen); failure != fake.failAt.end()) {
            if (done > 0)
                return static_cast<int>(done); // reported on the next call
            errno = failure->second;
            fake.failAt.erase(failure);
            ++fake.seen;
            return -1;
        }
        const msghdr& header = messages[done].msg_hdr;
        const iovec& part = header.msg_iov[0];
        const std::size_t taken = fake.seen == fake.shortAt ? part.iov_len - 1 : part.iov_len;
        fake.wire.push_back(Destination(header) + " " +
                            std::string(static_cast<const char*>(part.iov_base), taken));
        messages[done].msg_len = static_cast<unsigned>(taken);
    }
    return static_cast<int>(done);
}

struct BatchRow {
    const char* name;
    std::map<std::size_t, int> failAt;
    unsigned mostPerCall;
    std::size_t shortAt;
    int interruptions;
    // Per datagram: "" when it went out, else the error's kind and code.
    std::vector<std::string> results;
};

std::string Describe(const std::exception* error)
{
    if (error == nullptr)
        return "";
    if (const auto* socket = dynamic_cast<const EIdSocketError*>(error))
        return "socket " + std::to_string(socket->ErrorCode());
    if (dynamic_cast<const EIdPackageSizeTooBig*>(error) != nullptr)
        return "too big";
    if (dynamic_cast<const EIdNotAllBytesSent*>(error) != nullptr)
        return "short";
    return error->what();
}

class DatagramBatchTest : public testing::TestWithParam<BatchRow> {
protected:
    void SetUp() override
    {
        fake = FakeSystem{};
        fake.failAt = GetParam().failAt;
        fake.mostPerCall = GetParam().mostPerCall;
        fake.shortAt = GetParam().shortAt;
        fake.interruptions = GetParam().interruptions;
        entries.sendmmsg.Set(&FakeSendMany);
    }
    void TearDown() override { entries.sendmmsg.Set(saved); }

    TIdComponent user;
    TIdSocketHandle handle;
    SocketEntryTable& entries = SocketEntries();
    decltype(entries.sendmmsg.Get()) saved = entries.sendmmsg.Get();
};

TEST_P(DatagramBatchTest, SendsInOrderAndReportsEachDatagram)
{
    const std::vector<std::string> payloads{"<a/>", std::string("b\0c", 3), "", "dddd", "e"};
    DatagramBatch batch("10.1.2.3", 16520);
    for (const std::string& payload : payloads)
        batch.Add(payload);
    std::vector<std::string> results;
    batch.Send(handle, [&](std::size_t index, const std::exception* error) {
        EXPECT_EQ(index, results.size());
        results.push_back(Describe(error));
    });

    EXPECT_EQ(results, GetParam().results);
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < payloads.size(); ++i)
        if (results[i] == "" || results[i] == "short")
            expected.push_back("10.1.2.3:16520 " +
                               payloads[i].substr(0, payloads[i].size() - (results[i] != "")));
    EXPECT_EQ(fake.wire, expected);
    // Emptied: the next batch starts afresh.
    fake.wire.clear();
    batch.Add("next");
    batch.Send(handle, [](std::size_t, const std::exception*) {});
    EXPECT_EQ(fake.wire, std::vector<std::string>{"10.1.2.3:16520 next"});
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DatagramBatchTest,
    testing::Values(BatchRow{"AllInOneCall", {}, 1024, SIZE_MAX, 0, {"", "", "", "", ""}},
                    BatchRow{"TwoACall", {}, 2, SIZE_MAX, 0, {"", "", "", "", ""}},
                    BatchRow{"Interrupted", {}, 1024, SIZE_MAX, 2, {"", "", "", "", ""}},
                    BatchRow{"UnreachableInTheMiddle",
                             {{2, ENETUNREACH}},
                             1024,
                             SIZE_MAX,
                             0,
                             {"", "", "socket 10051", "", ""}},
                    BatchRow{"FirstAndLastRefused",
                             {{0, EMSGSIZE}, {4, ENOBUFS}},
                             2,
                             SIZE_MAX,
                             0,
                             {"too big", "", "", "", "socket 10055"}},
                    BatchRow{"TakenShort", {}, 1024, 3, 0, {"", "", "", "short", ""}}),
    [](const testing::TestParamInfo<BatchRow>& info) { return info.param.name; });

TEST(DatagramBatch, RefusesADestinationThatIsNoAddressText)
{
    TIdComponent user;
    EXPECT_THROW(DatagramBatch("host.example", 16520), EIdException);
}

} // namespace
