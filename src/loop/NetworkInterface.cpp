#include "loop/NetworkInterface.h"

#include <algorithm>
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <memory>
#include <net/if.h>
#include <netinet/in.h>
#include <vector>

namespace loop {

bool InterfaceExists(const std::string& name)
{
    return if_nametoindex(name.c_str()) != 0;
}

namespace {

// The IPv4 addresses of the interfaces as text, of the one named or of all.
std::vector<std::string> Addresses(const std::string* name)
{
    std::vector<std::string> addresses;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return addresses;
    const std::unique_ptr<ifaddrs, decltype(&freeifaddrs)> owner(list, freeifaddrs);
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET ||
            (name != nullptr && *name != entry->ifa_name))
            continue;
        const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        char text[INET_ADDRSTRLEN] = {};
        if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) != nullptr)
            addresses.emplace_back(text);
    }
    return addresses;
}

} // namespace

std::optional<std::string> InterfaceAddress(const std::string& name)
{
    const std::vector<std::string> addresses = Addresses(&name);
    if (addresses.empty())
        return std::nullopt;
    return addresses.front();
}

bool IsLocalAddress(const std::string& ip)
{
    // The whole of 127/8 is this host's, though lo names 127.0.0.1 only.
    if (ip.rfind("127.", 0) == 0)
        return true;
    const std::vector<std::string> addresses = Addresses(nullptr);
    return std::find(addresses.begin(), addresses.end(), ip) != addresses.end();
}

} // namespace loop
