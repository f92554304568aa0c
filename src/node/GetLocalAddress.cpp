#include "node/GetLocalAddress.h"

#include "node/LocalAddressPlatformPosix.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <vector>

namespace node {

namespace {

constexpr std::size_t kSlots = 64;
constexpr const char* kLoopback = "127.0.0.1";

using AddressTable = std::vector<std::string>;

// Neither a loopback address nor "any" reaches the node from elsewhere.
bool IsReachable(std::uint32_t address)
{
    return address != 0 && (ntohl(address) >> 24) != 127;
}

// The platform keeps its text in one static buffer, so it is copied at once.
std::string ToText(LocalAddressPlatform& platform, std::uint32_t address)
{
    std::array<char, 256> text{};
    std::snprintf(text.data(), text.size(), "%s", platform.inet_ntoa(address));
    return text.data();
}

// Fills the table from the resolver's addresses for the host name; true when
// its first answer is one that other nodes can reach.
bool FillTable(LocalAddressPlatform& platform, AddressTable& table)
{
    std::array<char, 256> name{};
    if (platform.gethostname(name.data(), name.size()) != 0)
        return false;
    // A name that filled the buffer need not be terminated.
    name.back() = '\0';
    platform.writeLine(name.data());
    const hostent* entry = platform.gethostbyname(name.data());
    if (entry == nullptr || entry->h_addr_list == nullptr)
        return false;
    std::size_t stored = 0;
    for (; stored < kSlots && entry->h_addr_list[stored] != nullptr; ++stored) {
        std::uint32_t address = 0;
        std::memcpy(&address, entry->h_addr_list[stored], sizeof address);
        table[stored] = ToText(platform, address);
    }
    std::uint32_t first = 0;
    if (stored > 0)
        std::memcpy(&first, entry->h_addr_list[0], sizeof first);
    return IsReachable(first);
}

// Debian and Ubuntu map the host name to 127.0.1.1, and containers and minimal
// installs often cannot resolve it at all. The address that carries the
// node's broadcasts is then the one to state: the kernel's source for them,
// else that of the first interface with a carrier.
std::string BroadcastingAddress(LocalAddressPlatform& platform)
{
    const std::uint32_t source = platform.broadcastSourceAddress();
    if (IsReachable(source))
        return ToText(platform, source);
    for (std::uint32_t address : platform.interfaceAddresses()) {
        if (IsReachable(address))
            return ToText(platform, address);
    }
    return kLoopback;
}

} // namespace

std::string GetLocalAddress(LocalAddressPlatform& platform)
{
    bool acquired = false;
    try {
        AddressTable table(kSlots, kLoopback);
        if (platform.startup() != 0)
            return table[0];
        acquired = true;
        if (!FillTable(platform, table))
            table[0] = BroadcastingAddress(platform);
        // Cleared first, so a cleanup that throws is not repeated.
        acquired = false;
        platform.cleanup();
        return table[0];
    } catch (...) {
        if (acquired) {
            try {
                platform.cleanup();
            } catch (...) {
                // The routine never fails; the address text says enough.
            }
        }
        return "0";
    }
}

std::string GetLocalAddress()
{
    LocalAddressPlatformPosix platform;
    return GetLocalAddress(platform);
}

} // namespace node
