#pragma once

#include <cstdint>
#include <string>

namespace node {

// Sends one datagram to the limited broadcast address. Returns, or throws on
// any failure; the tick relies on nothing else.
class Sender {
public:
    virtual ~Sender() = default;
    // `payload` holds the wire bytes (Shift-JIS).
    virtual void SendBroadcast(const std::string& payload, std::uint16_t port) = 0;
};

} // namespace node
