#pragma once

#include "cli/CommonOptions.h"
#include "cli/Subcommand.h"
#include "discovery/ScanResponder.h"
#include "station/Scenario.h"
#include "station/Station.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace discovery {
class ScanListener;
}

namespace cli {

class SendingSide;
class StationOutput;

// `setarome-cli station FILE`: the nodes of a scenario file, each CCM sent at
// its level's times, on the Qt Core event loop until --count seconds,
// --duration or a signal.
class StationCommand : public Subcommand {
public:
    explicit StationCommand(CLI::App& program);

    // Reads the scenario and the checks that look at the system. Throws
    // CLI::ValidationError, or station::ScenarioError for the file.
    void check() override;
    // Runs the station in the current QCoreApplication; the exit status: 0
    // after a signal, or at the end when every datagram went out; 1 when one
    // could not be sent; 2 when the interface or the addresses cannot be used.
    int run() override;

private:
    // The text of "auto" addresses: the address of --interface, else the one
    // this host sends from.
    std::string autoAddress() const;
    // Answers scans for the nodes that do, unless this is a dry run.
    std::unique_ptr<discovery::ScanListener> listen(const station::Station& station) const;

    CommonOptions common_;
    std::string file_;
    double speed_ = 1;
    std::int64_t seconds_ = 0;
    std::int64_t scanReplyBytes_ = discovery::ScanResponder::kMaxReplyBytes;
    std::optional<station::Scenario> scenario_;
};

} // namespace cli
