#pragma once

#include "capture/RecordSource.h"
#include "cli/Subcommand.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <memory>
#include <set>
#include <string>

namespace cli {

// `setarome-cli convert IN OUT`: a capture rewritten in another format (JSON
// lines, pcap), every datagram kept with its time, addresses and ports.
class ConvertCommand : public Subcommand {
public:
    explicit ConvertCommand(CLI::App& program);

    // A regular input is read through first, so a damaged one leaves no
    // half-written output. Throws capture::CaptureError.
    void check() override;
    // 0 done or stopped, 1 the output could not be written, 2 the input
    // could not be read in full.
    int run() override;

private:
    std::set<std::uint16_t> ports() const;

    std::string input_;
    std::string output_;
    std::string format_;
    std::uint16_t port_ = 0;
    // Opened by check(): standard input cannot be opened twice.
    std::unique_ptr<capture::RecordSource> source_;
};

} // namespace cli
