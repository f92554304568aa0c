#pragma once

#include "transport/IPAddressParts.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <sys/socket.h>
#include <sys/types.h>
#include <vector>

namespace transport {

class TIdSocketList;

// The process-wide socket stack: one operation per platform socket call,
// address-text conversion, and the result test that turns a failed call into
// EIdSocketError. TIdStackPosix implements it; the registration in
// StackRegistry.h creates and destroys the one shared instance.
class TIdStack {
public:
    TIdStack() = default;
    TIdStack(const TIdStack&) = delete;
    TIdStack& operator=(const TIdStack&) = delete;
    virtual ~TIdStack() = default;

    virtual void FillLocalAddresses() = 0;
    virtual std::string FirstLocalAddress() = 0;
    virtual const std::vector<std::string>& LocalAddressList() = 0;
    virtual int SockAccept(int socket, std::string& ip, std::int32_t& port) = 0;
    virtual int SockBind(int socket, int family, const std::string& ip, std::int32_t port) = 0;
    virtual int SockClose(int socket) = 0;
    virtual int SockConnect(int socket, int family, const std::string& ip, std::int32_t port) = 0;
    virtual std::string SockHostByName(const std::string& name) = 0;
    virtual std::string SockHostName() = 0;
    virtual std::string SockHostByAddr(const std::string& address) = 0;
    virtual std::int32_t SockServiceByName(const std::string& service) = 0;
    virtual std::vector<std::string> SockServiceByPort(std::int32_t port) = 0;
    virtual std::uint16_t SockHostToNet16(std::uint16_t value) = 0;
    virtual int SockListen(int socket, int backlog) = 0;
    virtual std::uint16_t SockNetToHost16(std::uint16_t value) = 0;
    virtual std::uint32_t SockHostToNet32(std::uint32_t value) = 0;
    virtual std::uint32_t SockNetToHost32(std::uint32_t value) = 0;
    virtual ssize_t SockRecv(int socket, void* buffer, std::size_t length, int flags) = 0;
    virtual ssize_t SockRecvFrom(int socket, void* buffer, std::size_t length, int flags,
                                 std::int32_t& port, std::string& ip) = 0;
    // recvmsg, for a receiver that wants the control messages (receive time,
    // drop count) beside the datagram; the caller reads the address fields.
    virtual ssize_t SockRecvMsg(int socket, msghdr& message, int flags) = 0;
    // recvmmsg without a timeout: up to `count` datagrams in one call.
    virtual int SockRecvMany(int socket, mmsghdr* messages, unsigned count, int flags) = 0;
    // timeoutMs -2 waits without limit; a null list stands for an empty set.
    virtual int SockSelect(TIdSocketList* read, TIdSocketList* write, std::int32_t timeoutMs,
                           TIdSocketList* error) = 0;
    virtual ssize_t SockSend(int socket, const void* buffer, std::size_t length, int flags) = 0;
    virtual ssize_t SockSendTo(int socket, const void* buffer, std::size_t length, int flags,
                               const std::string& ip, std::int32_t port) = 0;
    // sendmmsg: the datagrams in order, in one call; how many went out.
    virtual int SockSendMany(int socket, mmsghdr* messages, unsigned count, int flags) = 0;
    virtual int SockSetOption(int socket, int level, int name, const void* value,
                              socklen_t length) = 0;
    virtual int SockOpen(int family, int type, int protocol) = 0;
    virtual int SockShutdown(int socket, int how) = 0;
    // "Socket Error # <code>\r\n<text>", the text from the error table.
    virtual std::string ErrorText(std::int32_t code);
    virtual std::int32_t SockLastError() = 0;
    virtual void SockPeerName(int socket, int& family, std::int32_t& port, std::string& ip) = 0;
    virtual void SockLocalName(int socket, int& family, std::int32_t& port, std::string& ip) = 0;
    virtual int SockGetOption(int socket, int level, int name, void* value, socklen_t& length) = 0;
    virtual std::string AddressToText(const IPv4Bytes& address) = 0;
    // Raises EIdInvalidIPAddress for a text that is no address text.
    virtual IPv4Bytes TranslateAddressText(const std::string& text) = 0;

    // For result -1: fetches the error code and stores it in LastSocketError;
    // returns true when the code is ignored, raises EIdSocketError otherwise.
    // Any other result returns false without a platform call.
    bool CheckSocketResult(ssize_t result, std::span<const std::int32_t> ignored = {});
    [[noreturn]] void ThrowSocketError(std::int32_t code);
    // An AF_INET socket; raises EIdInvalidSocket when the platform gives none.
    int NewSocket(int type, int protocol);
    // "LOCALHOST" in any case is 127.0.0.1, an address text passes unchanged,
    // anything else is looked up by name, on every call.
    std::string HostToAddressText(const std::string& host);
    IPv4Bytes AddressFromText(const std::string& text);
    std::int32_t LastSocketError() const noexcept { return lastSocketError_.load(); }

    static bool ParseAddressText(const std::string& text, IPAddressParts& parts);
    static IPTextForm AddressTextFormOf(const std::string& text);
    static bool IsAddressText(const std::string& text);

protected:
    // The one shape of every socket error message.
    static std::string SocketErrorMessage(std::int32_t code, const char* text);

    // Created on first use and owned by the stack.
    std::unique_ptr<std::vector<std::string>> localAddresses_;

private:
    // Shared by every caller: the code of the last failed tested call.
    std::atomic<std::int32_t> lastSocketError_{0};
};

} // namespace transport
