#include "cli/Duration.h"

#include <charconv>
#include <string_view>

namespace cli {

namespace {

constexpr std::int64_t kYear = 366 * 86400;

std::int64_t UnitSeconds(char unit)
{
    switch (unit) {
    case 'd':
        return 86400;
    case 'h':
        return 3600;
    case 'm':
        return 60;
    case 's':
        return 1;
    default:
        return 0;
    }
}

} // namespace

std::optional<std::int64_t> ParseDuration(const std::string& text)
{
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    std::int64_t total = 0;
    // Each part's unit is smaller than the one before: "1h30m", not "30m1h".
    std::int64_t previous = kYear;
    do {
        std::int64_t amount = 0;
        const auto result = std::from_chars(at, end, amount);
        if (result.ec != std::errc() || amount < 0 || amount > kYear)
            return std::nullopt;
        at = result.ptr;
        std::int64_t scale = 0;
        if (at != end)
            scale = UnitSeconds(*at++);
        else if (previous == kYear)
            scale = 1; // a bare number is seconds, alone only
        if (scale == 0 || scale >= previous || amount > (kYear - total) / scale)
            return std::nullopt;
        total += amount * scale;
        previous = scale;
    } while (at != end);
    if (total < 1)
        return std::nullopt;
    return total;
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
                return text + " is no time (90, 90s, 15m, 2h, 1h30m, 1d; at most a year)";
            },
            ""))
        ->type_name("TIME");
}

} // namespace cli
