#include "station/Level.h"

#include <array>

namespace station {

std::optional<Level> ParseLevel(std::string_view text)
{
    static constexpr std::array<Level, 10> kLevels{{
        {1, false, "A-1S-0"},
        {1, true, "A-1S-1"},
        {10, false, "A-10S-0"},
        {10, true, "A-10S-1"},
        {60, false, "A-1M-0"},
        {60, true, "A-1M-1"},
        {0, true, "B-0"},
        {0, true, "B-1"},
        {1, false, "S-1S-0"},
        {60, false, "S-1M-0"},
    }};
    for (const Level& level : kLevels) {
        if (level.name == text)
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
