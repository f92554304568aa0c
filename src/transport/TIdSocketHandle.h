#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/socket.h>
#include <sys/types.h>

namespace transport {

// One socket and the addresses that go with it. Every platform call goes
// through the shared stack, so a handle is used only while a TIdComponent
// (its owner) lives. No failure closes the socket.
class TIdSocketHandle {
public:
    // Starts closed, with every address field cleared.
    TIdSocketHandle();
    TIdSocketHandle(const TIdSocketHandle&) = delete;
    TIdSocketHandle& operator=(const TIdSocketHandle&) = delete;
    // Closes the socket if it is open.
    virtual ~TIdSocketHandle();

    // Closes any open socket first; raises EIdInvalidSocket when the platform
    // gives none, leaving the handle closed.
    void OpenSocket(int socketType, int protocol);
    // Shuts the socket down for sending and closes it; results are ignored.
    // The descriptor is closed even when the shutdown raises, which then
    // passes on.
    virtual void Close();
    void ResetState(bool resetLocal);
    // Raises EIdSocketError when the platform refuses the option.
    void SetOption(int level, int name, const void* value, socklen_t length);
    // Sends one datagram of exactly count bytes to an address text. Raises
    // EIdPackageSizeTooBig for a datagram too long for the platform,
    // EIdSocketError for any other failure and EIdNotAllBytesSent for a
    // short send.
    void SendDatagram(const std::string& ip, std::int32_t port, const void* buffer,
                      std::size_t count);
    // Binds the socket to IP():Port() (port 0: the system picks one), then
    // refreshes both from the system. Raises EIdSocketError.
    void Bind();
    // The platform's recvmsg result, untested.
    ssize_t ReceiveMessage(msghdr& message, int flags);
    // The platform's recvfrom result, untested.
    virtual ssize_t ReceiveDatagram(void* buffer, std::size_t length, std::int32_t& senderPort,
                                    std::string& senderIP, int flags);
    // Connects to RemoteIP:RemotePort; on success refreshes both names.
    virtual int ConnectPeer(int family);
    void RefreshLocalName();
    void RefreshPeerName();
    // Copies the local and remote addresses and ports.
    void Assign(const TIdSocketHandle& source);

    int Socket() const noexcept { return socket_; }
    bool IsOpen() const noexcept { return isOpen_; }
    const std::string& IP() const noexcept { return ip_; }
    void SetIP(const std::string& ip) { ip_ = ip; }
    std::int32_t Port() const noexcept { return port_; }
    void SetPort(std::int32_t port) noexcept { port_ = port; }
    const std::string& RemoteIP() const noexcept { return remoteIP_; }
    void SetRemoteIP(const std::string& ip) { remoteIP_ = ip; }
    std::int32_t RemotePort() const noexcept { return remotePort_; }
    void SetRemotePort(std::int32_t port) noexcept { remotePort_ = port; }
    std::int32_t ClientPortMin() const noexcept { return clientPortMin_; }
    void SetClientPortMin(std::int32_t port) noexcept { clientPortMin_ = port; }
    std::int32_t ClientPortMax() const noexcept { return clientPortMax_; }
    void SetClientPortMax(std::int32_t port) noexcept { clientPortMax_ = port; }

private:
    int socket_ = -1;
    bool isOpen_ = false;
    std::string ip_;
    std::string remoteIP_;
    std::int32_t port_ = 0;
    std::int32_t remotePort_ = 0;
    std::int32_t clientPortMin_ = 0;
    std::int32_t clientPortMax_ = 0;
};

} // namespace transport
