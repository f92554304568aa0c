#include "station/CopyAddress.h"

namespace station {

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
