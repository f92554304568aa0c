#pragma once

#include <array>
#include <cstdint>

namespace transport {

// The form of an IPv4 address text.
enum class IPTextForm { Invalid = 0, Dotted = 1, Number = 2 };

// Four address bytes, first octet first (network byte order).
using IPv4Bytes = std::array<std::uint8_t, 4>;

// What parsing an address text yields.
struct IPAddressParts {
    IPv4Bytes octets{};
    IPTextForm form = IPTextForm::Invalid;
    // 0 for none, 1 to 5 for the classes A to E.
    int ipClass = 0;
};

} // namespace transport
