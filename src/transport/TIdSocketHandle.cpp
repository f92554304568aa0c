#include "transport/TIdSocketHandle.h"

#include "transport/EIdException.h"
#include "transport/SocketErrorCode.h"
#include "transport/StackRegistry.h"
#include "transport/TIdStack.h"

namespace transport {

namespace {

TIdStack& Stack()
{
    return *SharedStack();
}

} // namespace

TIdSocketHandle::TIdSocketHandle()
{
    ResetState(true);
}

TIdSocketHandle::~TIdSocketHandle()
{
    try {
        TIdSocketHandle::Close();
    } catch (const EIdException&) {
        // Only once the socket library is released at process end, which
        // takes the descriptor with it; a destructor must not raise.
    }
}

void TIdSocketHandle::OpenSocket(int socketType, int protocol)
{
    Close();
    socket_ = Stack().NewSocket(socketType, protocol);
    isOpen_ = true;
}

void TIdSocketHandle::Close()
{
    if (!isOpen_) {
        return;
    }
    isOpen_ = false;
    try {
        Stack().SockShutdown(socket_, SHUT_WR);
    } catch (...) {
        // The descriptor is released whatever became of the shutdown.
        Stack().SockClose(socket_);
        throw;
    }
    Stack().SockClose(socket_);
}

void TIdSocketHandle::ResetState(bool resetLocal)
{
    isOpen_ = false;
    socket_ = -1;
    if (resetLocal) {
        ip_.clear();
        port_ = 0;
    }
    remoteIP_.clear();
    remotePort_ = 0;
}

void TIdSocketHandle::SetOption(int level, int name, const void* value, socklen_t length)
{
    Stack().CheckSocketResult(Stack().SockSetOption(socket_, level, name, value, length));
}

void TIdSocketHandle::SendDatagram(const std::string& ip, std::int32_t port, const void* buffer,
                                   std::size_t count)
{
    TIdStack& stack = Stack();
    const ssize_t result = stack.SockSendTo(socket_, buffer, count, 0, ip, port);
    if (result == -1) {
        if (stack.SockLastError() == SocketErrorCode::kMessageTooLong) {
            throw EIdPackageSizeTooBig("Package Size Too Big.");
        }
        stack.CheckSocketResult(result);
    } else if (static_cast<std::size_t>(result) != count) {
        throw EIdNotAllBytesSent("Not all bytes sent.");
    }
}

void TIdSocketHandle::Bind()
{
    Stack().CheckSocketResult(Stack().SockBind(socket_, AF_INET, ip_, port_));
    RefreshLocalName();
}

ssize_t TIdSocketHandle::ReceiveMessage(msghdr& message, int flags)
{
    return Stack().SockRecvMsg(socket_, message, flags);
}

ssize_t TIdSocketHandle::ReceiveDatagram(void* buffer, std::size_t length, std::int32_t& senderPort,
                                         std::string& senderIP, int flags)
{
    return Stack().SockRecvFrom(socket_, buffer, length, flags, senderPort, senderIP);
}

int TIdSocketHandle::ConnectPeer(int family)
{
    const int result = Stack().SockConnect(socket_, family, remoteIP_, remotePort_);
    if (result != -1) {
        RefreshLocalName();
        RefreshPeerName();
    }
    return result;
}

void TIdSocketHandle::RefreshLocalName()
{
    int family = 0;
    Stack().SockLocalName(socket_, family, port_, ip_);
}

void TIdSocketHandle::RefreshPeerName()
{
    int family = 0;
    Stack().SockPeerName(socket_, family, remotePort_, remoteIP_);
}

void TIdSocketHandle::Assign(const TIdSocketHandle& source)
{
    ip_ = source.ip_;
    port_ = source.port_;
    remoteIP_ = source.remoteIP_;
    remotePort_ = source.remotePort_;
}

} // namespace transport
