#include "report/NumberText.h"

#include <charconv>
#include <cmath>
#include <ctime>

namespace report {

std::string Fixed(double value, int decimals)
{
    if (!std::isfinite(value))
        value = 0;
    char text[64];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    // Only values past 1e60 overflow the buffer; no chart or time reaches them.
    if (result.ec != std::errc())
        return "0";
    std::string out(text, result.ptr);
    // "-0.00" would read as a sign error.
    if (out.front() == '-' && out.find_first_not_of("-0.") == std::string::npos)
        out.erase(0, 1);
    return out;
}

std::string Short(double value, int decimals)
{
    std::string out = Fixed(value, decimals);
    if (out.find('.') == std::string::npos)
        return out;
    out.erase(out.find_last_not_of('0') + 1);
    if (out.back() == '.')
        out.pop_back();
    return out;
}

std::string UtcTimestamp(std::chrono::system_clock::time_point when)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    return text;
}

} // namespace report
