#pragma once

#include <cstdint>
#include <optional>

namespace station {

// The address of copy `copy` (0 is `first` itself) of a repeated node. The
// copies count up from `first` but skip every address ending in .0 or .255,
// which a /24 segment reserves for itself and its broadcast; nothing when
// the copies run past 255.255.255.254.
std::optional<std::uint32_t> CopyAddress(std::uint32_t first, std::uint32_t copy);
inline constexpr const char* kRepeatTooFar = "repeat runs the addresses past 255.255.255.254";

} // namespace station
