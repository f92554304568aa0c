#pragma once

#include "node/Sender.h"
#include "transport/DatagramBatch.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace transport {
class TIdUDPClient;
}

namespace loop {

// The node's sender with a destination of choice, on the window's UDP client.
// To the limited broadcast address it sends exactly as the window does; any
// other address (a controller behind a router, a directed broadcast) gets the
// datagram with the broadcast option left on.
class DestinationSender : public node::Sender {
public:
    static constexpr const char* kLimitedBroadcast = "255.255.255.255";

    // `address` is an IPv4 address text; every datagram goes to it on `port`.
    DestinationSender(transport::TIdUDPClient& client, std::string address, std::uint16_t port);

    // Sends out of the named interface only, whatever the routes say.
    // Throws transport::EIdSocketError when the system refuses.
    void BindToInterface(const std::string& name);

    // To the address and port given at construction.
    void SendToDestination(const std::string& payload);
    // The node's tick: the port it asks for gives way to the destination's,
    // which is --port.
    void Send(const std::string& payload, std::uint16_t) override { SendToDestination(payload); }

    // Keeps a datagram for the next SendQueued, which sends all kept ones in
    // order in as few system calls as it can: byte for byte what
    // SendToDestination sends, to the same place.
    void Queue(std::string_view payload);
    std::size_t Queued() const { return batch_ ? batch_->Size() : 0; }
    void SendQueued(const transport::DatagramBatch::Result& result);

private:
    transport::TIdUDPClient& client_;
    std::string address_;
    std::uint16_t port_;
    std::optional<transport::DatagramBatch> batch_;
};

} // namespace loop
