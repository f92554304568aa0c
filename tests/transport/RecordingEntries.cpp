#include "transport/RecordingEntries.h"

#include "transport/EIdWS2StubError.h"
#include "transport/SocketEntryTable.h"
#include "transport/SocketErrorCode.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>

using transport::SocketEntries;

namespace transporttest {

namespace {

RecordingEntries* current = nullptr;
int nextSocket = 100;
hostent foundHost;
in_addr foundAddress;
char* foundAddressList[2] = {reinterpret_cast<char*>(&foundAddress), nullptr};

std::string OptionName(int level, int name)
{
    if (level == SOL_SOCKET && name == SO_BROADCAST) {
        return "SOL_SOCKET, SO_BROADCAST";
    }
    return std::to_string(level) + ", " + std::to_string(name);
}

int FakeSocket(int family, int type, int protocol) noexcept
{
    const bool cloexec = (type & SOCK_CLOEXEC) != 0;
    current->calls.push_back(std::string("socket(") + (family == AF_INET ? "AF_INET" : "?") +
                             (type & SOCK_DGRAM ? ", SOCK_DGRAM" : ", ?") +
                             (cloexec ? "|SOCK_CLOEXEC, " : ", ") + std::to_string(protocol) + ")");
    if (current->socketErrno != 0) {
        errno = current->socketErrno;
        return -1;
    }
    return nextSocket++;
}

int FakeSetOption(int s, int level, int name, const void* value, socklen_t length) noexcept
{
    int option = 0;
    std::memcpy(&option, value, sizeof option);
    current->calls.push_back("setsockopt(" + std::to_string(s) + ", " + OptionName(level, name) +
                             ", " + std::to_string(option) + ", " + std::to_string(length) + ")");
    if (current->setOptionErrno != 0) {
        errno = current->setOptionErrno;
        return -1;
    }
    current->broadcastOption[s] = option;
    return 0;
}

std::uint16_t FakeHtons(std::uint16_t value) noexcept
{
    current->calls.push_back("htons(" + std::to_string(value) + ")");
    return static_cast<std::uint16_t>((value << 8) | (value >> 8));
}

ssize_t FakeSendTo(int s, const void* buffer, std::size_t length, int flags, const sockaddr* to,
                   socklen_t toLength) noexcept
{
    const auto* address = reinterpret_cast<const sockaddr_in*>(to);
    char ip[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address->sin_addr, ip, sizeof ip);
    current->calls.push_back(
        "sendto(" + std::to_string(s) + ", " + std::to_string(length) + " bytes, " +
        (flags == MSG_NOSIGNAL ? "MSG_NOSIGNAL" : std::to_string(flags)) + ", " + ip + ":" +
        std::to_string(ntohs(address->sin_port)) + ", " + std::to_string(toLength) + ")");
    if (current->sendErrno != 0) {
        errno = current->sendErrno;
        return -1;
    }
    current->lastPayload.assign(static_cast<const char*>(buffer), length);
    return static_cast<ssize_t>(length - current->sendShortBy);
}

int FakeShutdown(int s, int how)
{
    current->calls.push_back("shutdown(" + std::to_string(s) + ", " + std::to_string(how) + ")");
    if (current->shutdownRaises) {
        throw transport::EIdWS2StubError("Error on call Winsock2 library function shutdown",
                                         transport::SocketErrorCode::kNotInitialised);
    }
    return 0;
}

int FakeClose(int s)
{
    current->calls.push_back("close(" + std::to_string(s) + ")");
    return 0;
}

hostent* FakeGetHostByName(const char* name) noexcept
{
    current->calls.push_back(std::string("gethostbyname(") + name + ")");
    const auto found = current->hosts.find(name);
    if (found == current->hosts.end()) {
        h_errno = HOST_NOT_FOUND;
        return nullptr;
    }
    inet_pton(AF_INET, found->second.c_str(), &foundAddress);
    foundHost.h_name = const_cast<char*>(found->first.c_str());
    foundHost.h_addrtype = AF_INET;
    foundHost.h_length = sizeof foundAddress;
    foundHost.h_addr_list = foundAddressList;
    return &foundHost;
}

} // namespace

struct RecordingEntries::Saved {
    transport::SocketEntryTable& e = SocketEntries();
    decltype(e.socket.Get()) socket = e.socket.Get();
    decltype(e.setsockopt.Get()) setsockopt = e.setsockopt.Get();
    decltype(e.htons.Get()) htons = e.htons.Get();
    decltype(e.sendto.Get()) sendto = e.sendto.Get();
    decltype(e.shutdown.Get()) shutdown = e.shutdown.Get();
    decltype(e.close.Get()) close = e.close.Get();
    decltype(e.gethostbyname.Get()) gethostbyname = e.gethostbyname.Get();
};

RecordingEntries::RecordingEntries() : saved_(std::make_unique<Saved>())
{
    current = this;
    nextSocket = 100;
    transport::SocketEntryTable& e = SocketEntries();
    e.socket.Set(&FakeSocket);
    e.setsockopt.Set(&FakeSetOption);
    e.htons.Set(&FakeHtons);
    e.sendto.Set(&FakeSendTo);
    e.shutdown.Set(&FakeShutdown);
    e.close.Set(&FakeClose);
    e.gethostbyname.Set(&FakeGetHostByName);
}

RecordingEntries::~RecordingEntries()
{
    transport::SocketEntryTable& e = SocketEntries();
    e.socket.Set(saved_->socket);
    e.setsockopt.Set(saved_->setsockopt);
    e.htons.Set(saved_->htons);
    e.sendto.Set(saved_->sendto);
    e.shutdown.Set(saved_->shutdown);
    e.close.Set(saved_->close);
    e.gethostbyname.Set(saved_->gethostbyname);
    current = nullptr;
}

} // namespace transporttest
