#pragma once

#include <cstdint>
#include <string>

namespace node {

// Sends one datagram: the window's to the limited broadcast address, the
// command line's to the destination it was given. Returns, or throws on any
// failure; the tick relies on nothing else.
class Sender {
public:
    virtual ~Sender() = default;
    // `payload` holds the wire bytes (Shift-JIS); `port` is the message's
    // port, which a sender with a port of its own may replace.
    virtual void Send(const std::string& payload, std::uint16_t port) = 0;
};

} // namespace node
