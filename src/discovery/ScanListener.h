#pragma once

#include "discovery/ScanResponder.h"
#include "loop/DatagramReceiver.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace discovery {

// The nodes' answers on the event loop: receivers on the scan and search
// ports, each reply sent from the socket the request came in on, so that it
// leaves from the well-known port.
class ScanListener {
public:
    // Throws transport::EIdSocketError when a port cannot be bound, and
    // runtime::Exception without a Shift-JIS converter.
    ScanListener(std::vector<AnsweringNode> nodes, const std::string& interfaceName);
    ~ScanListener();

private:
    void answer(loop::DatagramReceiver& socket, const loop::ReceivedDatagram& request);

    ScanResponder responder_;
    std::unique_ptr<loop::DatagramReceiver> scan_;
    std::unique_ptr<loop::DatagramReceiver> search_;
};

} // namespace discovery
