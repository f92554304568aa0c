#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace cli {

// A --duration text: "90", "90s", "15m" or "2h", at most a year; the
// seconds, or nothing for any other text.
std::optional<std::int64_t> ParseDuration(const std::string& text);

} // namespace cli
