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

CLI::Option* AddDurationOption(CLI::App& command, std::int64_t& seconds,
                               const std::string& description)
{
    const auto store = [&seconds](const std::string& text) { seconds = *ParseDuration(text); };
    return command.add_option_function<std::string>("--duration", store, description)
        ->check(CLI::Validator(
            [](std::string& text) -> std::string {
                if (ParseDuration(text))
                    return {};
                return text + " is no time (90, 90s, 15m, 2h; at most a year)";
            },
            ""))
        ->type_name("TIME");
}

} // namespace cli
