#include "cli/OptionChecks.h"

#include "loop/NetworkInterface.h"

#include <arpa/inet.h>
#include <charconv>
#include <netinet/in.h>

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
            in_addr address{};
            if (inet_pton(AF_INET, text.c_str(), &address) != 1)
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
