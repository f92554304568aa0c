#include "cli/Duration.h"

#include <charconv>
#include <string_view>

namespace cli {

std::optional<std::int64_t> ParseDuration(const std::string& text)
{
    constexpr std::int64_t kYear = 366 * 86400;
    std::int64_t amount = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), amount);
    if (result.ec != std::errc() || amount < 1 || amount > kYear)
        return std::nullopt;
    const std::string_view unit(result.ptr, text.data() + text.size() - result.ptr);
    if (unit.empty() || unit == "s")
        return amount;
    const std::int64_t scale = unit == "m" ? 60 : unit == "h" ? 3600 : 0;
    if (scale == 0 || amount > kYear / scale)
        return std::nullopt;
    return amount * scale;
}

} // namespace cli
