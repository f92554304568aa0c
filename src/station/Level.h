#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace station {

// When a CCM is sent. A levels send every `interval` seconds, the "-1" ones
// also at once when the value changes; B levels only on a change; S levels
// send like the A level of the same interval.
struct Level {
    // Seconds between periodic sends; 0: none (B levels).
    std::int32_t interval = 1;
    bool onChange = false;
    // As a scan lists it.
    std::string_view name = "A-1S-0";
};

// "A-1S-0", "A-10S-1", "B-0", "S-1M-0", ...; nothing for any other text.
std::optional<Level> ParseLevel(std::string_view text);

// The second inside its interval at which a periodic CCM goes out: nodes
// spread their CCMs by the last octet of their address and the CCM's index,
// so a station does not send them all in one burst.
std::int32_t SendSecond(const Level& level, std::int32_t lastOctet, std::int32_t index);

// Whether a periodic send of the CCM falls on second `tick` of the run.
bool SendsAt(const Level& level, std::int32_t sendSecond, std::int64_t tick);

} // namespace station
