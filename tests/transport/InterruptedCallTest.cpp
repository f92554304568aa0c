// Calls a signal interrupts are made again; any other failure is reported
// after one call, with its own code.
#include "transport/SocketEntryTable.h"
#include "transport/TIdStackPosix.h"

#include <cerrno>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

using namespace transport;

namespace {

// The errnos the next calls fail with, in order; once used up, calls succeed.
std::deque<int> failures;
int calls = 0;

bool ScriptedFailure()
{
    ++calls;
    if (failures.empty()) {
        return false;
    }
    errno = failures.front();
    failures.pop_front();
    return true;
}

int FakeAccept(int, sockaddr*, socklen_t*)
{
    return ScriptedFailure() ? -1 : 7;
}

ssize_t FakeRecv(int, void*, std::size_t length, int)
{
    return ScriptedFailure() ? -1 : static_cast<ssize_t>(length);
}

ssize_t FakeRecvFrom(int, void*, std::size_t length, int, sockaddr*, socklen_t*)
{
    return ScriptedFailure() ? -1 : static_cast<ssize_t>(length);
}

int FakeSelect(int, fd_set*, fd_set*, fd_set*, timeval*)
{
    return ScriptedFailure() ? -1 : 0;
}

ssize_t FakeSend(int, const void*, std::size_t length, int)
{
    return ScriptedFailure() ? -1 : static_cast<ssize_t>(length);
}

ssize_t FakeSendTo(int, const void*, std::size_t length, int, const sockaddr*, socklen_t)
{
    return ScriptedFailure() ? -1 : static_cast<ssize_t>(length);
}

// Points an entry at a fake for the life of the object.
template <typename Entry> class Swapped {
public:
    Swapped(Entry& entry, typename Entry::Function fake) : entry_(entry), saved_(entry.Get())
    {
        entry_.Set(fake);
    }
    ~Swapped() { entry_.Set(saved_); }

private:
    Entry& entry_;
    typename Entry::Function saved_;
};

struct CallRow {
    const char* name;
    std::function<ssize_t(TIdStackPosix&)> call;
};

class InterruptedCallTest : public testing::TestWithParam<CallRow> {
protected:
    void SetUp() override
    {
        failures.clear();
        calls = 0;
    }

    ssize_t Call() { return GetParam().call(stack); }

    TIdStackPosix stack;
    SocketEntryTable& e = SocketEntries();
    Swapped<decltype(e.accept)> accept{e.accept, &FakeAccept};
    Swapped<decltype(e.recv)> recv{e.recv, &FakeRecv};
    Swapped<decltype(e.recvfrom)> recvfrom{e.recvfrom, &FakeRecvFrom};
    Swapped<decltype(e.select)> select{e.select, &FakeSelect};
    Swapped<decltype(e.send)> send{e.send, &FakeSend};
    Swapped<decltype(e.sendto)> sendto{e.sendto, &FakeSendTo};
};

TEST_P(InterruptedCallTest, IsMadeAgainUntilItIsNotInterrupted)
{
    failures = {EINTR, EINTR};
    EXPECT_NE(Call(), -1);
    EXPECT_EQ(calls, 3);
}

TEST_P(InterruptedCallTest, AnotherFailureEndsTheCallsAndKeepsItsCode)
{
    failures = {EAGAIN};
    EXPECT_EQ(Call(), -1);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(stack.SockLastError(), 10035);

    calls = 0;
    failures = {EINTR, ECONNREFUSED};
    EXPECT_EQ(Call(), -1);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(stack.SockLastError(), 10061);
}

char buffer[4];

INSTANTIATE_TEST_SUITE_P(
    Calls, InterruptedCallTest,
    testing::Values(
        CallRow{"accept",
                [](TIdStackPosix& s) {
                    std::string ip;
                    std::int32_t port = 0;
                    return static_cast<ssize_t>(s.SockAccept(3, ip, port));
                }},
        CallRow{"recv", [](TIdStackPosix& s) { return s.SockRecv(3, buffer, 4, 0); }},
        CallRow{"recvfrom",
                [](TIdStackPosix& s) {
                    std::string ip;
                    std::int32_t port = 0;
                    return s.SockRecvFrom(3, buffer, 4, 0, port, ip);
                }},
        CallRow{"select",
                [](TIdStackPosix& s) {
                    return static_cast<ssize_t>(s.SockSelect(nullptr, nullptr, 0, nullptr));
                }},
        CallRow{"send", [](TIdStackPosix& s) { return s.SockSend(3, buffer, 4, 0); }},
        CallRow{"sendto",
                [](TIdStackPosix& s) { return s.SockSendTo(3, buffer, 4, 0, "10.0.0.1", 16520); }}),
    [](const testing::TestParamInfo<CallRow>& info) { return std::string(info.param.name); });

} // namespace
