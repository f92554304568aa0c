#include "transport/TIdStackPosix.h"

#include "transport/EIdException.h"
#include "transport/SocketEntryTable.h"
#include "transport/SocketErrorCode.h"
#include "transport/SocketLibrary.h"
#include "transport/StackRegistry.h"
#include "transport/TIdSocketListPosix.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>

namespace transport {

namespace {

// errno and h_errno are per thread, so the code saved from them is too.
thread_local std::int32_t savedError = 0;

constexpr const char* kSetSizeExceeded = "Set Size Exceeded.";

// Keeps the code of a failing call before anything else can touch errno.
template <typename R> R Saved(R result)
{
    if (result == -1) {
        savedError = SocketErrorCode::FromErrno(errno);
    }
    return result;
}

// Restarts a call that a signal interrupted before it did anything.
template <typename Call> auto Restarted(Call call)
{
    decltype(call()) result;
    do {
        result = call();
    } while (result == -1 && errno == EINTR);
    return Saved(result);
}

SocketEntryTable& Entries()
{
    return SocketEntries();
}

constexpr std::int32_t kWaitForever = -2;

// Fills a select set from a list and returns the highest descriptor. Linux
// sets are bitmaps of FD_SETSIZE bits, so a larger descriptor would write
// past the set: it is refused like a 65th descriptor.
int FillSet(const TIdSocketList& list, fd_set& set)
{
    if (list.Count() > TIdSocketListPosix::kCapacity) {
        throw EIdStackSetSizeExceeded(kSetSizeExceeded);
    }
    int highest = -1;
    for (int i = 0; i < list.Count(); ++i) {
        const int socket = list.Item(i);
        if (socket < 0 || socket >= FD_SETSIZE) {
            throw EIdStackSetSizeExceeded(kSetSizeExceeded);
        }
        FD_SET(socket, &set);
        highest = std::max(highest, socket);
    }
    return highest;
}

// Leaves in the list only the descriptors select left in the set.
void KeepReady(TIdSocketList& list, const fd_set& set)
{
    std::vector<int> ready;
    for (int i = 0; i < list.Count(); ++i) {
        if (FD_ISSET(list.Item(i), &set)) {
            ready.push_back(list.Item(i));
        }
    }
    list.Clear();
    for (const int socket : ready) {
        list.Add(socket);
    }
}

sockaddr* AsGeneric(sockaddr_in* address)
{
    return reinterpret_cast<sockaddr*>(address);
}

IPv4Bytes BytesOf(const void* address)
{
    IPv4Bytes bytes;
    std::memcpy(bytes.data(), address, bytes.size());
    return bytes;
}

} // namespace

TIdStackPosix::TIdStackPosix()
{
    if (StackStarted()) {
        return;
    }
    if (StartSocketLibrary() != 0) {
        throw EIdStackInitializationFailed("Winsock Initialization Error.");
    }
    MarkStackStarted();
}

void TIdStackPosix::FillLocalAddresses()
{
    // The list is made on first use, which may be this call.
    if (!localAddresses_) {
        localAddresses_ = std::make_unique<std::vector<std::string>>();
    }
    localAddresses_->clear();
    const hostent* entry = LookUpHost(SockHostName());
    for (char** address = entry->h_addr_list; *address != nullptr; ++address) {
        localAddresses_->push_back(AddressToText(BytesOf(*address)));
    }
}

std::string TIdStackPosix::FirstLocalAddress()
{
    const std::vector<std::string>& list = LocalAddressList();
    return list.empty() ? std::string() : list.front();
}

const std::vector<std::string>& TIdStackPosix::LocalAddressList()
{
    FillLocalAddresses();
    return *localAddresses_;
}

int TIdStackPosix::SockAccept(int socket, std::string& ip, std::int32_t& port)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    const int result =
        Restarted([&] { return Entries().accept(socket, AsGeneric(&address), &length); });
    int family = 0;
    ReadAddress(address, family, port, ip);
    return result;
}

int TIdStackPosix::SockBind(int socket, int family, const std::string& ip, std::int32_t port)
{
    sockaddr_in address = SocketAddress(family, ip, port, true);
    return Saved(Entries().bind(socket, AsGeneric(&address), sizeof address));
}

int TIdStackPosix::SockClose(int socket)
{
    // Never restarted: Linux releases the descriptor even when close is interrupted.
    return Saved(Entries().close(socket));
}

int TIdStackPosix::SockConnect(int socket, int family, const std::string& ip, std::int32_t port)
{
    sockaddr_in address = SocketAddress(family, ip, port, false);
    return Saved(Entries().connect(socket, AsGeneric(&address), sizeof address));
}

std::string TIdStackPosix::SockHostByName(const std::string& name)
{
    return AddressToText(BytesOf(LookUpHost(name)->h_addr_list[0]));
}

std::string TIdStackPosix::SockHostName()
{
    // One byte short of the buffer, so the text always ends in a zero byte.
    char buffer[250] = {};
    Entries().gethostname(buffer, sizeof buffer - 1);
    return buffer;
}

std::string TIdStackPosix::SockHostByAddr(const std::string& address)
{
    const in_addr_t binary = Entries().inet_addr(address.c_str());
    const hostent* entry = Entries().gethostbyaddr(&binary, sizeof binary, AF_INET);
    if (entry == nullptr) {
        savedError = SocketErrorCode::FromHostError(h_errno);
        CheckSocketResult(-1);
    }
    return entry->h_name;
}

std::int32_t TIdStackPosix::SockServiceByName(const std::string& service)
{
    if (const servent* entry = Entries().getservbyname(service.c_str(), nullptr)) {
        return SockNetToHost16(static_cast<std::uint16_t>(entry->s_port));
    }
    std::int32_t port = 0;
    const char* end = service.data() + service.size();
    const auto [stop, error] = std::from_chars(service.data(), end, port);
    if (service.empty() || error != std::errc() || stop != end) {
        throw EIdInvalidServiceName(service + " is not a valid service.");
    }
    return port;
}

std::vector<std::string> TIdStackPosix::SockServiceByPort(std::int32_t port)
{
    std::vector<std::string> names;
    const int netPort = SockHostToNet16(static_cast<std::uint16_t>(port));
    const servent* entry = Entries().getservbyport(netPort, nullptr);
    if (entry != nullptr) {
        names.emplace_back(entry->s_name);
        for (char** alias = entry->s_aliases; *alias != nullptr; ++alias) {
            names.emplace_back(*alias);
        }
    }
    return names;
}

std::uint16_t TIdStackPosix::SockHostToNet16(std::uint16_t value)
{
    return Entries().htons(value);
}

int TIdStackPosix::SockListen(int socket, int backlog)
{
    return Saved(Entries().listen(socket, backlog));
}

std::uint16_t TIdStackPosix::SockNetToHost16(std::uint16_t value)
{
    return Entries().ntohs(value);
}

std::uint32_t TIdStackPosix::SockHostToNet32(std::uint32_t value)
{
    return Entries().htonl(value);
}

std::uint32_t TIdStackPosix::SockNetToHost32(std::uint32_t value)
{
    return Entries().ntohl(value);
}

ssize_t TIdStackPosix::SockRecv(int socket, void* buffer, std::size_t length, int flags)
{
    return Restarted([&] { return Entries().recv(socket, buffer, length, flags); });
}

ssize_t TIdStackPosix::SockRecvFrom(int socket, void* buffer, std::size_t length, int flags,
                                    std::int32_t& port, std::string& ip)
{
    sockaddr_in address{};
    socklen_t size = sizeof address;
    const ssize_t result = Restarted([&] {
        return Entries().recvfrom(socket, buffer, length, flags, AsGeneric(&address), &size);
    });
    int family = 0;
    ReadAddress(address, family, port, ip);
    return result;
}

ssize_t TIdStackPosix::SockRecvMsg(int socket, msghdr& message, int flags)
{
    return Restarted([&] { return Entries().recvmsg(socket, &message, flags); });
}

int TIdStackPosix::SockRecvMany(int socket, mmsghdr* messages, unsigned count, int flags)
{
    return Restarted([&] { return Entries().recvmmsg(socket, messages, count, flags, nullptr); });
}

int TIdStackPosix::SockSelect(TIdSocketList* read, TIdSocketList* write, std::int32_t timeoutMs,
                              TIdSocketList* error)
{
    const std::array<TIdSocketList*, 3> lists{read, write, error};
    std::array<fd_set, 3> sets{};
    int highest = -1;
    for (std::size_t i = 0; i < lists.size(); ++i) {
        FD_ZERO(&sets[i]);
        if (lists[i] != nullptr) {
            highest = std::max(highest, FillSet(*lists[i], sets[i]));
        }
    }
    timeval wait{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    timeval* limit = timeoutMs == kWaitForever ? nullptr : &wait;
    const int result = Restarted(
        [&] { return Entries().select(highest + 1, &sets[0], &sets[1], &sets[2], limit); });
    if (result >= 0) {
        for (std::size_t i = 0; i < lists.size(); ++i) {
            if (lists[i] != nullptr) {
                KeepReady(*lists[i], sets[i]);
            }
        }
    }
    return result;
}

ssize_t TIdStackPosix::SockSend(int socket, const void* buffer, std::size_t length, int flags)
{
    // MSG_NOSIGNAL: a send on a broken stream must fail, not end the process.
    return Restarted([&] { return Entries().send(socket, buffer, length, flags | MSG_NOSIGNAL); });
}

ssize_t TIdStackPosix::SockSendTo(int socket, const void* buffer, std::size_t length, int flags,
                                  const std::string& ip, std::int32_t port)
{
    sockaddr_in address = SocketAddress(AF_INET, ip, port, false);
    return Restarted([&] {
        return Entries().sendto(socket, buffer, length, flags | MSG_NOSIGNAL, AsGeneric(&address),
                                sizeof address);
    });
}

int TIdStackPosix::SockSendMany(int socket, mmsghdr* messages, unsigned count, int flags)
{
    return Restarted(
        [&] { return Entries().sendmmsg(socket, messages, count, flags | MSG_NOSIGNAL); });
}

int TIdStackPosix::SockSetOption(int socket, int level, int name, const void* value,
                                 socklen_t length)
{
    return Saved(Entries().setsockopt(socket, level, name, value, length));
}

int TIdStackPosix::SockOpen(int family, int type, int protocol)
{
    return Saved(Entries().socket(family, type | SOCK_CLOEXEC, protocol));
}

int TIdStackPosix::SockShutdown(int socket, int how)
{
    return Saved(Entries().shutdown(socket, how));
}

std::string TIdStackPosix::ErrorText(std::int32_t code)
{
    if (code == SocketErrorCode::kHostNotFound) {
        return SocketErrorMessage(code, "Host not found.");
    }
    return TIdStack::ErrorText(code);
}

std::int32_t TIdStackPosix::SockLastError()
{
    return savedError;
}

void TIdStackPosix::SockPeerName(int socket, int& family, std::int32_t& port, std::string& ip)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    CheckSocketResult(Saved(Entries().getpeername(socket, AsGeneric(&address), &length)));
    ReadAddress(address, family, port, ip);
}

void TIdStackPosix::SockLocalName(int socket, int& family, std::int32_t& port, std::string& ip)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    CheckSocketResult(Saved(Entries().getsockname(socket, AsGeneric(&address), &length)));
    ReadAddress(address, family, port, ip);
}

int TIdStackPosix::SockGetOption(int socket, int level, int name, void* value, socklen_t& length)
{
    return Saved(Entries().getsockopt(socket, level, name, value, &length));
}

std::string TIdStackPosix::AddressToText(const IPv4Bytes& address)
{
    return std::to_string(address[0]) + '.' + std::to_string(address[1]) + '.' +
           std::to_string(address[2]) + '.' + std::to_string(address[3]);
}

IPv4Bytes TIdStackPosix::TranslateAddressText(const std::string& text)
{
    IPAddressParts parts;
    if (!ParseAddressText(text, parts)) {
        throw EIdInvalidIPAddress(text + " is not a valid IP address.");
    }
    return parts.octets;
}

sockaddr_in TIdStackPosix::SocketAddress(int family, const std::string& ip, std::int32_t port,
                                         bool anyWhenEmpty)
{
    sockaddr_in address{};
    address.sin_family = static_cast<sa_family_t>(family);
    // Only the low 16 bits of the port count.
    address.sin_port = SockHostToNet16(static_cast<std::uint16_t>(port));
    if (!ip.empty() || !anyWhenEmpty) {
        const IPv4Bytes bytes = AddressFromText(ip);
        std::memcpy(&address.sin_addr, bytes.data(), bytes.size());
    }
    return address;
}

const hostent* TIdStackPosix::LookUpHost(const std::string& name)
{
    const hostent* entry = Entries().gethostbyname(name.c_str());
    if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_addr_list[0] == nullptr) {
        savedError = SocketErrorCode::FromHostError(entry == nullptr ? h_errno : HOST_NOT_FOUND);
        CheckSocketResult(-1);
    }
    return entry;
}

void TIdStackPosix::ReadAddress(const sockaddr_in& address, int& family, std::int32_t& port,
                                std::string& ip)
{
    family = address.sin_family;
    port = SockNetToHost16(address.sin_port);
    ip = AddressToText(BytesOf(&address.sin_addr));
}

} // namespace transport
