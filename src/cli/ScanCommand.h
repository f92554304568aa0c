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
    // 0 when something answered, 1 when nothing did or the request could not
    // be sent.
    int run() override;

private:
    CommonOptions common_;
    double timeout_ = 2;
    std::string search_;
    discovery::ScanOptions options_;
};

} // namespace cli
