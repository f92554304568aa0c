#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace station {

// A dotted-decimal IPv4 address as a number, or nothing for any other text.
std::optional<std::uint32_t> ParseIpv4(std::string_view text);
std::string Ipv4Text(std::uint32_t address);

} // namespace station
