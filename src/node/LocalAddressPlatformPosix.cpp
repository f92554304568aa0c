#include "node/LocalAddressPlatformPosix.h"

#include "ccm/CcmMessage.h"

#include <arpa/inet.h>
#include <cstdio>
#include <ifaddrs.h>
#include <memory>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
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

std::uint32_t LocalAddressPlatformPosix::broadcastSourceAddress()
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return 0;
    }
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(ccm::kCcmPort);
    target.sin_addr.s_addr = htonl(INADDR_BROADCAST);
    sockaddr_in source{};
    socklen_t length = sizeof source;
    const int on = 1;
    // Connecting a datagram socket only chooses the route and binds the source
    // address. Without SO_BROADCAST the kernel refuses a broadcast peer.
    const bool routed =
        ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) == 0 &&
        ::connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&source), &length) == 0;
    ::close(fd);
    return routed ? source.sin_addr.s_addr : 0;
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
        // A port without a carrier (docker0 with no container, an unplugged
        // cable) is up but reaches no one.
        const unsigned wanted = IFF_UP | IFF_RUNNING;
        if ((item->ifa_flags & (wanted | IFF_LOOPBACK)) != wanted)
            continue;
        const auto* address = reinterpret_cast<const sockaddr_in*>(item->ifa_addr);
        found.push_back(address->sin_addr.s_addr);
    }
    return found;
}

} // namespace node
