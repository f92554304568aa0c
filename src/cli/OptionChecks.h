#pragma once

#include <CLI/CLI.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cli {

// Checks of one option's text. Each message names the value and what is
// allowed; CLI11 puts the option's name in front ("--room: 200 is out of
// range 0..127"). They add nothing to the help: the option's type name shows
// what is allowed.

// A decimal integer from `min` to `max`.
CLI::Validator IntegerIn(std::int64_t min, std::int64_t max);
// A decimal number (a point and an exponent allowed) from `min` to `max`.
CLI::Validator DecimalIn(double min, double max);
// "MIN..MAX" as DecimalIn writes it, for the option's type name.
std::string DecimalRange(double min, double max);
// One of the listed words.
CLI::Validator OneOf(std::vector<std::string> words);
// A dotted-decimal IPv4 address.
CLI::Validator Ipv4Address();
// The name of a network interface this system has.
CLI::Validator NetworkInterfaceName();

} // namespace cli
