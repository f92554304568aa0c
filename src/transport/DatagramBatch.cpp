#include "transport/DatagramBatch.h"

#include "transport/EIdException.h"
#include "transport/EIdSocketError.h"
#include "transport/SocketErrorCode.h"
#include "transport/StackRegistry.h"
#include "transport/TIdSocketHandle.h"
#include "transport/TIdStack.h"

#include <algorithm>
#include <cstring>

namespace transport {

namespace {

// The kernel takes at most UIO_MAXIOV (1024) messages a call.
constexpr std::size_t kMostPerCall = 1024;

} // namespace

DatagramBatch::DatagramBatch(const std::string& ip, std::int32_t port)
{
    TIdStack& stack = *SharedStack();
    const IPv4Bytes bytes = stack.AddressFromText(ip);
    address_.sin_family = AF_INET;
    address_.sin_port = stack.SockHostToNet16(static_cast<std::uint16_t>(port));
    std::memcpy(&address_.sin_addr, bytes.data(), bytes.size());
}

void DatagramBatch::Add(std::string_view payload)
{
    bytes_.append(payload);
    ends_.push_back(bytes_.size());
}

void DatagramBatch::Prepare()
{
    parts_.resize(ends_.size());
    messages_.resize(ends_.size());
    std::size_t begin = 0;
    for (std::size_t i = 0; i < ends_.size(); ++i) {
        parts_[i] = iovec{bytes_.data() + begin, ends_[i] - begin};
        msghdr& header = messages_[i].msg_hdr;
        header = msghdr{};
        header.msg_name = &address_;
        header.msg_namelen = sizeof address_;
        header.msg_iov = &parts_[i];
        header.msg_iovlen = 1;
        messages_[i].msg_len = 0;
        begin = ends_[i];
    }
}

std::size_t DatagramBatch::SendFrom(int socket, std::size_t first, const Result& result)
{
    TIdStack& stack = *SharedStack();
    const auto count = static_cast<unsigned>(std::min(messages_.size() - first, kMostPerCall));
    const int sent = stack.SockSendMany(socket, &messages_[first], count, 0);
    // The system reports the error of the first datagram it could not send;
    // the ones before it went out.
    if (sent <= 0) {
        const std::int32_t code = stack.SockLastError();
        if (code == SocketErrorCode::kMessageTooLong) {
            const EIdPackageSizeTooBig error("Package Size Too Big.");
            result(first, &error);
        } else {
            const EIdSocketError error(code, stack.ErrorText(code));
            result(first, &error);
        }
        return 1;
    }
    for (std::size_t i = first; i < first + static_cast<std::size_t>(sent); ++i) {
        if (messages_[i].msg_len != parts_[i].iov_len) {
            const EIdNotAllBytesSent error("Not all bytes sent.");
            result(i, &error);
        } else {
            result(i, nullptr);
        }
    }
    return static_cast<std::size_t>(sent);
}

void DatagramBatch::Send(TIdSocketHandle& handle, const Result& result)
{
    Prepare();
    for (std::size_t next = 0; next < messages_.size();)
        next += SendFrom(handle.Socket(), next, result);
    bytes_.clear();
    ends_.clear();
}

} // namespace transport
