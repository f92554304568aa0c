#include "ccm/Ipv4Text.h"

#include <charconv>

namespace ccm {

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

} // namespace ccm
