#include "station/AddressText.h"

#include <charconv>

namespace station {

std::optional<std::uint32_t> ParseIpv4(std::string_view text)
{
    std::uint32_t address = 0;
    const char* at = text.data();
    const char* end = text.data() + text.size();
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at == end || *at != '.')
                return std::nullopt;
            ++at;
        }
        // Digits only: from_chars alone would take no sign, but a leading
        // zero is ambiguous (octal to some readers), so it is refused.
        unsigned value = 0;
        const auto result = std::from_chars(at, end, value);
        const std::size_t digits = result.ptr - at;
        if (result.ec != std::errc() || value > 255 || digits > 3 || (digits > 1 && *at == '0'))
            return std::nullopt;
        address = address << 8 | value;
        at = result.ptr;
    }
    if (at != end)
        return std::nullopt;
    return address;
}

std::string Ipv4Text(std::uint32_t address)
{
    return std::to_string(address >> 24) + '.' + std::to_string(address >> 16 & 0xFF) + '.' +
           std::to_string(address >> 8 & 0xFF) + '.' + std::to_string(address & 0xFF);
}

std::optional<std::uint32_t> CopyAddress(std::uint32_t first, std::uint32_t copy)
{
    if (copy == 0)
        return first;
    // Host addresses numbered through the /24 blocks, 254 to a block:
    // index n is block n / 254, last octet n % 254 + 1.
    constexpr std::uint64_t kHosts = 254;
    const std::uint64_t block = first >> 8;
    const std::uint32_t octet = first & 0xFF;
    std::uint64_t index = block * kHosts + copy;
    if (octet == 0)
        index -= 1;
    else if (octet == 255)
        index += kHosts - 1;
    else
        index += octet - 1;
    if (index / kHosts > 0xFFFFFF)
        return std::nullopt;
    return static_cast<std::uint32_t>((index / kHosts) << 8 | (index % kHosts + 1));
}

} // namespace station
