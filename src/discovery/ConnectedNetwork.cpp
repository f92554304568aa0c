#include "discovery/ConnectedNetwork.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <string>

namespace discovery {

namespace {

std::uint32_t HostOrder(const sockaddr* address)
{
    if (address == nullptr || address->sa_family != AF_INET)
        return 0;
    return ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr);
}

// "eth0:1", an alias's label, names the interface before the colon.
int IndexOf(const char* label)
{
    const std::string name(label);
    return static_cast<int>(if_nametoindex(name.substr(0, name.find(':')).c_str()));
}

} // namespace

std::vector<ConnectedNetwork> ReadConnectedNetworks()
{
    std::vector<ConnectedNetwork> networks;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return networks;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET ||
            (entry->ifa_flags & IFF_UP) == 0)
            continue;
        ConnectedNetwork network;
        network.interfaceIndex = IndexOf(entry->ifa_name);
        network.address = HostOrder(entry->ifa_addr);
        network.mask = HostOrder(entry->ifa_netmask);
        if ((entry->ifa_flags & IFF_POINTOPOINT) != 0)
            network.peer = HostOrder(entry->ifa_dstaddr);
        network.loopback = (entry->ifa_flags & IFF_LOOPBACK) != 0;
        networks.push_back(network);
    }
    freeifaddrs(list);
    return networks;
}

bool IsOnConnectedNetwork(const std::vector<ConnectedNetwork>& networks, int interfaceIndex,
                          std::uint32_t source)
{
    return std::any_of(networks.begin(), networks.end(), [&](const ConnectedNetwork& network) {
        if (network.interfaceIndex != interfaceIndex || interfaceIndex == 0)
            return false;
        return network.loopback || (source & network.mask) == (network.address & network.mask) ||
               (network.peer != 0 && source == network.peer);
    });
}

} // namespace discovery
