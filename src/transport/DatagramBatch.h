#pragma once

#include <netinet/in.h>
#include <sys/socket.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace transport {

class TIdSocketHandle;

// Datagrams for one destination, gathered and then sent in as few system
// calls as the platform allows (sendmmsg), in the order they were added and
// with exactly the bytes given. A datagram the system refuses costs only
// itself: the rest of the batch still goes out.
class DatagramBatch {
public:
    // Per datagram, in order: null when it went out, else what a send of it
    // alone would have raised.
    using Result = std::function<void(std::size_t index, const std::exception* error)>;

    // `ip` is an address text; raises EIdInvalidIPAddress for any other text.
    DatagramBatch(const std::string& ip, std::int32_t port);

    void Add(std::string_view payload);
    std::size_t Size() const noexcept { return ends_.size(); }
    // Sends every datagram on the handle's socket and empties the batch.
    void Send(TIdSocketHandle& handle, const Result& result);

private:
    // Points each message at its bytes, which stay put until Send returns.
    void Prepare();
    // One system call from `first` on; how many datagrams it settled.
    std::size_t SendFrom(int socket, std::size_t first, const Result& result);

    sockaddr_in address_{};
    std::string bytes_;
    std::vector<std::size_t> ends_;
    std::vector<iovec> parts_;
    std::vector<mmsghdr> messages_;
};

} // namespace transport
