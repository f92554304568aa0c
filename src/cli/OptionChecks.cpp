#include "cli/OptionChecks.h"

#include "ccm/Ipv4Text.h"
#include "loop/NetworkInterface.h"

#include <charconv>
#include <cmath>

namespace cli {

CLI::Validator IntegerIn(std::int64_t min, std::int64_t max)
{
    const std::string range = std::to_string(min) + ".." + std::to_string(max);
    return CLI::Validator(
        [min, max, range](std::string& text) -> std::string {
            std::int64_t value = 0;
            const char* end = text.data() + text.size();
            const auto [stop, error] = std::from_chars(text.data(), end, value);
            if (text.empty() || error == std::errc::invalid_argument || stop != end)
                return text + " is not an integer in " + range;
            if (error == std::errc::result_out_of_range || value < min || value > max)
                return text + " is out of range " + range;
            return {};
        },
        "");
}

std::string DecimalRange(double min, double max)
{
    // Fixed notation: 100000 rather than the shorter 1e+05.
    char text[64];
    char* end = std::to_chars(text, text + sizeof text, min, std::chars_format::fixed).ptr;
    *end++ = '.';
    *end++ = '.';
    end = std::to_chars(end, text + sizeof text, max, std::chars_format::fixed).ptr;
    return std::string(text, end);
}

CLI::Validator DecimalIn(double min, double max)
{
    const std::string range = DecimalRange(min, max);
    return CLI::Validator(
        [min, max, range](std::string& text) -> std::string {
            double value = 0;
            const char* end = text.data() + text.size();
            const auto [stop, error] = std::from_chars(text.data(), end, value);
            if (text.empty() || error == std::errc::invalid_argument || stop != end ||
                std::isnan(value))
                return text + " is not a number in " + range;
            if (error == std::errc::result_out_of_range || value < min || value > max)
                return text + " is out of range " + range;
            return {};
        },
        "");
}

CLI::Validator OneOf(std::vector<std::string> words)
{
    std::string list;
    for (const std::string& word : words)
        list += (list.empty() ? "" : "|") + word;
    return CLI::Validator(
        [words, list](std::string& text) -> std::string {
            for (const std::string& word : words) {
                if (text == word)
                    return {};
            }
            return text + " is not one of " + list;
        },
        "");
}

CLI::Validator Ipv4Address()
{
    return CLI::Validator(
        [](std::string& text) -> std::string {
            if (!ccm::ParseIpv4(text))
                return text + " is not an IPv4 address (a.b.c.d)";
            return {};
        },
        "");
}

CLI::Validator NetworkInterfaceName()
{
    return CLI::Validator(
        [](std::string& text) -> std::string {
            if (loop::InterfaceExists(text))
                return {};
            return text + " is no network interface here";
        },
        "");
}

} // namespace cli
