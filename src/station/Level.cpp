#include "station/Level.h"

#include <array>
#include <utility>

namespace station {

std::optional<Level> ParseLevel(std::string_view text)
{
    static constexpr std::array<std::pair<std::string_view, Level>, 10> kLevels{{
        {"A-1S-0", {1, false}},
        {"A-1S-1", {1, true}},
        {"A-10S-0", {10, false}},
        {"A-10S-1", {10, true}},
        {"A-1M-0", {60, false}},
        {"A-1M-1", {60, true}},
        {"B-0", {0, true}},
        {"B-1", {0, true}},
        {"S-1S-0", {1, false}},
        {"S-1M-0", {60, false}},
    }};
    for (const auto& [name, level] : kLevels) {
        if (name == text)
            return level;
    }
    return std::nullopt;
}

std::int32_t SendSecond(const Level& level, std::int32_t lastOctet, std::int32_t index)
{
    if (level.interval <= 1)
        return 0;
    return (lastOctet + index) % level.interval;
}

bool SendsAt(const Level& level, std::int32_t sendSecond, std::int64_t tick)
{
    return level.interval > 0 && tick % level.interval == sendSecond;
}

} // namespace station
