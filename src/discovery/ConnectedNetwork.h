#pragma once

#include <cstdint>
#include <vector>

namespace discovery {

// One IPv4 address of an interface of this host, with what lies directly on
// its link: the address's prefix, or the far end of a point-to-point link.
struct ConnectedNetwork {
    int interfaceIndex = 0;
    // Host order.
    std::uint32_t address = 0;
    std::uint32_t mask = 0;
    // 0 unless the link is point-to-point.
    std::uint32_t peer = 0;
    // Only this host's own datagrams arrive on a loopback interface.
    bool loopback = false;
};

// Every IPv4 address of every interface that is up; none when the system
// cannot list them.
std::vector<ConnectedNetwork> ReadConnectedNetworks();

// Whether `source` is on a network directly connected to the interface a
// datagram came in on: a requester on the link, not one beyond a router nor
// an address forged from afar.
bool IsOnConnectedNetwork(const std::vector<ConnectedNetwork>& networks, int interfaceIndex,
                          std::uint32_t source);

} // namespace discovery
