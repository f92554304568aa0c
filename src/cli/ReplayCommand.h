#pragma once

#include "cli/CommonOptions.h"
#include "cli/Subcommand.h"
#include "monitor/CaptureRecord.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace cli {

// `setarome-cli replay FILE`: the datagrams of a capture sent again, byte for
// byte and in order, with their original gaps (or --speed K times faster, or
// back to back), on the Qt Core event loop.
class ReplayCommand : public Subcommand {
public:
    explicit ReplayCommand(CLI::App& program);

    // Reads the whole capture, so a damaged line refuses the replay before
    // anything is sent. Throws CLI::ValidationError.
    void check() override;
    // The exit status: 0 after the last datagram or a signal, 1 when one
    // could not be sent, 2 when the interface cannot be used.
    int run() override;

private:
    CommonOptions common_;
    std::string file_;
    double speed_ = 1;
    bool asFastAsPossible_ = false;
    std::vector<monitor::CaptureRecord> records_;
};

} // namespace cli
