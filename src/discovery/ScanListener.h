#pragma once

#include "discovery/ConnectedNetwork.h"
#include "discovery/ScanResponder.h"
#include "loop/DatagramReceiver.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace discovery {

// The nodes' answers on the event loop: receivers on the scan and search
// ports, each reply sent from the socket the request came in on, so that it
// leaves from the well-known port. Only requesters on a network directly
// connected to the interface a request came in on are answered, so a
// forged source cannot turn the replies onto a host beyond a router. The
// ports are shared with the same user's programs only (SO_REUSEPORT), so no
// other user's socket can take the unicast requests.
class ScanListener {
public:
    // Throws transport::EIdSocketError when a port cannot be bound, and
    // runtime::Exception without a Shift-JIS converter.
    ScanListener(std::vector<AnsweringNode> nodes, const std::string& interfaceName,
                 std::size_t maxReplyBytes = ScanResponder::kMaxReplyBytes);
    ~ScanListener();

private:
    void answer(loop::DatagramReceiver& socket, const loop::ReceivedDatagram& request);
    bool onConnectedNetwork(const loop::ReceivedDatagram& request,
                            ReplyBudget::Clock::time_point now);

    ScanResponder responder_;
    // The interfaces' networks, read again at most once a second: a flood
    // costs no system call per request.
    std::vector<ConnectedNetwork> networks_;
    ReplyBudget::Clock::time_point networksRead_;
    std::unique_ptr<loop::DatagramReceiver> scan_;
    std::unique_ptr<loop::DatagramReceiver> search_;
};

} // namespace discovery
