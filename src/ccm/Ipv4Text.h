#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ccm {

// The one reader of IPv4 address texts above the socket layer: four decimal
// numbers 0..255 split by dots, no leading zeros (octal to some readers), no
// sign, nothing around them. Messages, options, scenarios and scan replies all
// take an address in this form, so they all refuse the same texts.
std::optional<std::uint32_t> ParseIpv4(std::string_view text);
// `address` (host byte order) in that form.
std::string Ipv4Text(std::uint32_t address);

} // namespace ccm
