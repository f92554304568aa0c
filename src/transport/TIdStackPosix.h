#pragma once

#include "transport/TIdStack.h"

struct hostent;
struct sockaddr_in;

namespace transport {

// The socket stack over the C library's BSD sockets, reached through the
// entries of SocketEntryTable. Errors are reported as Windows Sockets codes
// (SocketErrorCode.h), saved per thread right after each failing call.
class TIdStackPosix : public TIdStack {
public:
    // Starts the socket library once per process; raises
    // EIdStackInitializationFailed when the start-up reports failure.
    TIdStackPosix();

    void FillLocalAddresses() override;
    std::string FirstLocalAddress() override;
    const std::vector<std::string>& LocalAddressList() override;
    int SockAccept(int socket, std::string& ip, std::int32_t& port) override;
    int SockBind(int socket, int family, const std::string& ip, std::int32_t port) override;
    int SockClose(int socket) override;
    int SockConnect(int socket, int family, const std::string& ip, std::int32_t port) override;
    std::string SockHostByName(const std::string& name) override;
    std::string SockHostName() override;
    std::string SockHostByAddr(const std::string& address) override;
    std::int32_t SockServiceByName(const std::string& service) override;
    std::vector<std::string> SockServiceByPort(std::int32_t port) override;
    std::uint16_t SockHostToNet16(std::uint16_t value) override;
    int SockListen(int socket, int backlog) override;
    std::uint16_t SockNetToHost16(std::uint16_t value) override;
    std::uint32_t SockHostToNet32(std::uint32_t value) override;
    std::uint32_t SockNetToHost32(std::uint32_t value) override;
    ssize_t SockRecv(int socket, void* buffer, std::size_t length, int flags) override;
    ssize_t SockRecvFrom(int socket, void* buffer, std::size_t length, int flags,
                         std::int32_t& port, std::string& ip) override;
    ssize_t SockRecvMsg(int socket, msghdr& message, int flags) override;
    int SockRecvMany(int socket, mmsghdr* messages, unsigned count, int flags) override;
    int SockSelect(TIdSocketList* read, TIdSocketList* write, std::int32_t timeoutMs,
                   TIdSocketList* error) override;
    ssize_t SockSend(int socket, const void* buffer, std::size_t length, int flags) override;
    ssize_t SockSendTo(int socket, const void* buffer, std::size_t length, int flags,
                       const std::string& ip, std::int32_t port) override;
    int SockSendMany(int socket, mmsghdr* messages, unsigned count, int flags) override;
    int SockSetOption(int socket, int level, int name, const void* value,
                      socklen_t length) override;
    int SockOpen(int family, int type, int protocol) override;
    int SockShutdown(int socket, int how) override;
    // Adds the resolver's "Host not found." for 11001.
    std::string ErrorText(std::int32_t code) override;
    std::int32_t SockLastError() override;
    void SockPeerName(int socket, int& family, std::int32_t& port, std::string& ip) override;
    void SockLocalName(int socket, int& family, std::int32_t& port, std::string& ip) override;
    int SockGetOption(int socket, int level, int name, void* value, socklen_t& length) override;
    std::string AddressToText(const IPv4Bytes& address) override;
    IPv4Bytes TranslateAddressText(const std::string& text) override;

private:
    // A 16-byte IPv4 address. An empty text stands for any address when
    // anyWhenEmpty is set, and raises EIdInvalidIPAddress otherwise.
    sockaddr_in SocketAddress(int family, const std::string& ip, std::int32_t port,
                              bool anyWhenEmpty);
    // A name lookup that raises EIdSocketError (11000 + h_errno) when it fails.
    const hostent* LookUpHost(const std::string& name);
    void ReadAddress(const sockaddr_in& address, int& family, std::int32_t& port, std::string& ip);
};

} // namespace transport
