#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace cli {

// The settings of the node panel, with the panel's defaults.
struct NodeOptions {
    std::string source = "fixed"; // fixed, periodic, random, random2 or file
    std::string rain = "off";
    std::int32_t cycle = 60;
    std::string file;
    bool loop = false;
    std::int32_t interval = 10; // seconds: 1, 10 or 60
    std::string type = "WRainfall";
    std::int32_t room = 1;
    std::int32_t region = 1;
    std::int32_t order = 1;
    std::int32_t priority = 29;
    // Nothing: the node's discovered address.
    std::optional<std::string> ip;
    // Answer NODESCAN, CCMSCAN and SEARCH for its one CCM.
    bool answerScans = false;
};

void AddNodeOptions(CLI::App& command, NodeOptions& options);

// The checks that look at several options, or at the playback file, after
// parsing. Throws CLI::ValidationError naming the option at fault.
void CheckNodeOptions(const CLI::App& command, const NodeOptions& options);

} // namespace cli
