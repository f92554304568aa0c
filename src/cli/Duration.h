#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace cli {

// A --duration text: a number of seconds ("90"), or parts of days, hours,
// minutes and seconds in that order ("90s", "15m", "1h30m", "1d"), at least
// a second and at most a year; the seconds, or nothing for any other text.
std::optional<std::int64_t> ParseDuration(const std::string& text);

// Adds --duration to `command`, stored in `seconds` (left alone when the
// option is not given); any other form is refused while the options are
// parsed, before anything runs.
CLI::Option* AddDurationOption(CLI::App& command, std::int64_t& seconds,
                               const std::string& description);

} // namespace cli
