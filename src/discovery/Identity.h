#pragma once

#include "discovery/AnsweringNode.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace discovery {

// What a node answers when nothing else is set. No UECS-ID has been
// assigned to this tool, so it answers with the zero id.
inline constexpr const char* kDefaultName = "setarome";
inline constexpr const char* kDefaultVendor = "setarome";
inline constexpr const char* kDefaultUecsId = "000000000000";
// Name and vendor, each in Shift-JIS bytes: with a 15-character IP text a
// NODE reply is then at most 296 bytes, within a field receiver's 300.
inline constexpr std::size_t kMaxIdentityBytes = 64;

// Hex digits of either case, optionally in pairs split by ':' or '-', as a
// 12-digit upper-case id; nothing for any other text.
std::optional<std::string> NormalizeId(std::string_view text);
// `id` plus `offset`, wrapping within 48 bits: consecutive MACs for copies.
std::string OffsetId(const std::string& id, std::uint32_t offset);

// A locally administered MAC (02:00 then the four address bytes), so every
// simulated node has its own and none collides with real hardware; 02:00 and
// zeros when `ip` is no IPv4 text.
std::string DefaultMac(std::string_view ip);

// The identity of a node at `ip` with the defaults above.
NodeIdentity DefaultIdentity(const std::string& ip);

} // namespace discovery
