#pragma once

#include "cli/CommonOptions.h"
#include "cli/NodeOptions.h"
#include "cli/Subcommand.h"

#include <CLI/CLI.hpp>

#include <string>

namespace cli {

// `setarome-cli node`: the window's rain node, run from options. It fills a
// panel from the options, presses "送信開始" and runs the Qt Core event loop
// until --count ticks, a signal or the node's own stop.
class NodeCommand : public Subcommand {
public:
    explicit NodeCommand(CLI::App& program);

    // The checks that need more than one option or a look at the system.
    // Throws CLI::ValidationError.
    void check() override;
    // Runs the node in the current QCoreApplication; the exit status: 0 after
    // a signal, or after --count ticks or the end of the file when every
    // datagram went out; 1 after a lost datagram or when the node stopped on
    // a failure; 2 when the interface cannot be used.
    int run() override;

private:
    // The text of <IP>: --ip, else the address of --interface, else the
    // address the node discovers.
    std::string ipText() const;

    CommonOptions common_;
    NodeOptions options_;
};

} // namespace cli
