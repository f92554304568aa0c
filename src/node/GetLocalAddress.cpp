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

bool IsLoopback(std::uint32_t address)
{
    return (ntohl(address) >> 24) == 127;
}

// The platform keeps its text in one static buffer, so it is copied at once.
std::string ToText(LocalAddressPlatform& platform, std::uint32_t address)
{
    std::array<char, 256> text{};
    std::snprintf(text.data(), text.size(), "%s", platform.inet_ntoa(address));
    return text.data();
}

// Debian and Ubuntu map the host name to 127.0.1.1, so on most desktops the
// resolver only knows a loopback address; a real interface address is what
// the other nodes can reach.
void PreferInterfaceAddress(LocalAddressPlatform& platform, AddressTable& table)
{
    for (std::uint32_t address : platform.interfaceAddresses()) {
        if (!IsLoopback(address)) {
            table[0] = ToText(platform, address);
            return;
        }
    }
}

// Fills the table from the resolver's addresses for the host name; leaves it
// as it is when the name or its addresses cannot be had.
void FillTable(LocalAddressPlatform& platform, AddressTable& table)
{
    std::array<char, 256> name{};
    if (platform.gethostname(name.data(), name.size()) != 0)
        return;
    // A name that filled the buffer need not be terminated.
    name.back() = '\0';
    platform.writeLine(name.data());
    const hostent* entry = platform.gethostbyname(name.data());
    if (entry == nullptr || entry->h_addr_list == nullptr)
        return;
    std::size_t stored = 0;
    for (; stored < kSlots && entry->h_addr_list[stored] != nullptr; ++stored) {
        std::uint32_t address = 0;
        std::memcpy(&address, entry->h_addr_list[stored], sizeof address);
        table[stored] = ToText(platform, address);
    }
    if (stored > 0) {
        std::uint32_t first = 0;
        std::memcpy(&first, entry->h_addr_list[0], sizeof first);
        if (IsLoopback(first))
            PreferInterfaceAddress(platform, table);
    }
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
        FillTable(platform, table);
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
