#include "discovery/ScanListener.h"

#include "transport/EIdException.h"

namespace discovery {

ScanListener::ScanListener(std::vector<AnsweringNode> nodes, const std::string& interfaceName,
                           std::size_t maxReplyBytes)
    : responder_(std::move(nodes), maxReplyBytes), networks_(ReadConnectedNetworks()),
      networksRead_(ReplyBudget::Clock::now())
{
    scan_ = std::make_unique<loop::DatagramReceiver>(
        loop::ReceiverOptions{ccm::kScanPort, interfaceName, 0, false, false},
        [this](const loop::ReceivedDatagram& request) { answer(*scan_, request); });
    search_ = std::make_unique<loop::DatagramReceiver>(
        loop::ReceiverOptions{ccm::kSearchPort, interfaceName, 0, false, false},
        [this](const loop::ReceivedDatagram& request) { answer(*search_, request); });
}

ScanListener::~ScanListener() = default;

bool ScanListener::onConnectedNetwork(const loop::ReceivedDatagram& request,
                                      ReplyBudget::Clock::time_point now)
{
    if (now - networksRead_ >= std::chrono::seconds(1)) {
        networks_ = ReadConnectedNetworks();
        networksRead_ = now;
    }
    return IsOnConnectedNetwork(networks_, request.interfaceIndex, request.sourceAddress);
}

void ScanListener::answer(loop::DatagramReceiver& socket, const loop::ReceivedDatagram& request)
{
    const ReplyBudget::Clock::time_point now = ReplyBudget::Clock::now();
    if (request.truncated || !onConnectedNetwork(request, now))
        return;
    const Request asked{request.bytes, request.sourceIp, request.sourcePort, request.localPort};
    for (const Reply& reply : responder_.answer(asked, now)) {
        try {
            socket.sendTo(reply.ip, reply.port, reply.bytes);
        } catch (const transport::EIdException&) {
            // A requester the system has no route to: the reply is lost like
            // any datagram, and the node's own sends go on.
        }
    }
}

} // namespace discovery
