#pragma once

#include "capture/RecordSource.h"
#include "cli/CommonOptions.h"
#include "cli/Subcommand.h"

#include <CLI/CLI.hpp>

#include <cstddef>
#include <memory>
#include <set>
#include <string>

namespace cli {

// `setarome-cli replay FILE`: the datagrams of a capture sent again, byte for
// byte and in order, with their original gaps (or --speed K times faster, or
// back to back), on the Qt Core event loop.
class ReplayCommand : public Subcommand {
public:
    explicit ReplayCommand(CLI::App& program);

    // Parses a regular file through once, keeping nothing, so a damaged line
    // refuses the replay before anything is sent; a pipe is checked as it is
    // played. Throws CLI::ValidationError.
    void check() override;
    // The exit status: 0 after the last datagram or a signal, 1 when one
    // could not be sent, 2 when the interface cannot be used or a piped
    // capture has a damaged line.
    int run() override;

private:
    // The UECS ports, and --port where given.
    std::set<std::uint16_t> ports() const;

    CommonOptions common_;
    std::string file_;
    double speed_ = 1;
    bool asFastAsPossible_ = false;
    // Plays of the capture; more than one needs a file that can be read again.
    std::int64_t loops_ = 1;
    // Read from while the replay plays; opened again for each round.
    std::unique_ptr<capture::RecordSource> reader_;
    // The records to send in a round (those checked), and in all (--count).
    std::size_t roundLimit_ = 0;
    std::size_t totalLimit_ = 0;
};

} // namespace cli
