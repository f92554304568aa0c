#pragma once

#include "cli/CommonOptions.h"
#include "cli/Subcommand.h"
#include "discovery/ScanClient.h"

#include <CLI/CLI.hpp>

#include <string>

namespace cli {

// `setarome-cli scan`: asks who is there (NODESCAN), optionally every
// answering node for its CCMs, or who sends a CCM (SEARCH), and prints what
// answered.
class ScanCommand : public Subcommand {
public:
    explicit ScanCommand(CLI::App& program);

    void check() override;
    // 0 when something answered and the list is whole; 1 when nothing
    // answered, a node's CCMs are incomplete or the kernel dropped answers.
    int run() override;

private:
    // Says on standard error what is missing; the exit status.
    int verdict(const discovery::ScanClient& client, bool answered, std::size_t incomplete) const;

    CommonOptions common_;
    double timeout_ = 2;
    std::string search_;
    CLI::Option* search_option_ = nullptr;
    bool stopped_ = false;
    discovery::ScanOptions options_;
};

} // namespace cli
