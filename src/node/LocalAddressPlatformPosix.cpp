#include "node/LocalAddressPlatformPosix.h"

#include <arpa/inet.h>
#include <cstdio>
#include <ifaddrs.h>
#include <memory>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

namespace node {

int LocalAddressPlatformPosix::gethostname(char* name, std::size_t length)
{
    return ::gethostname(name, length);
}

void LocalAddressPlatformPosix::writeLine(const char* text)
{
    std::printf("%s\n", text);
    std::fflush(stdout);
}

const hostent* LocalAddressPlatformPosix::gethostbyname(const char* name)
{
    return ::gethostbyname(name);
}

const char* LocalAddressPlatformPosix::inet_ntoa(std::uint32_t address)
{
    in_addr value{};
    value.s_addr = address;
    return ::inet_ntoa(value);
}

std::vector<std::uint32_t> LocalAddressPlatformPosix::interfaceAddresses()
{
    std::vector<std::uint32_t> found;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return found;
    const std::unique_ptr<ifaddrs, decltype(&::freeifaddrs)> owner(list, &::freeifaddrs);
    for (const ifaddrs* item = list; item != nullptr; item = item->ifa_next) {
        if (item->ifa_addr == nullptr || item->ifa_addr->sa_family != AF_INET)
            continue;
        if ((item->ifa_flags & IFF_UP) == 0)
            continue;
        const auto* address = reinterpret_cast<const sockaddr_in*>(item->ifa_addr);
        found.push_back(address->sin_addr.s_addr);
    }
    return found;
}

} // namespace node
