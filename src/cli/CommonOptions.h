#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>

namespace cli {

// The options that mean the same in every subcommand that sends or prints
// datagrams.
struct CommonOptions {
    std::string to = "255.255.255.255";
    std::uint16_t port = 16520;
    // Empty: the routes choose the way out.
    std::string interfaceName;
    bool dryRun = false;
    bool json = false;
    // 0: until stopped.
    std::int32_t count = 0;
};

void AddCommonOptions(CLI::App& command, CommonOptions& options);

} // namespace cli
