#pragma once

#include "cli/CommonOptions.h"
#include "loop/DestinationSender.h"
#include "transport/TIdUDPClient.h"

#include <memory>
#include <optional>
#include <string>

namespace cli {

// Where a subcommand's datagrams go, as the common options say: nowhere for
// --dry-run, else a UDP client sending to --to:--port, bound to --interface
// when one is named.
class SendingSide {
public:
    // False, with the reason written to standard error as `command`'s, when
    // the interface cannot be bound.
    bool open(const CommonOptions& common, const char* command);

    // Empty for --dry-run.
    loop::DestinationSender* destination() { return destination_ ? &*destination_ : nullptr; }

private:
    std::unique_ptr<transport::TIdUDPClient> client_;
    std::optional<loop::DestinationSender> destination_;
};

// The address text a node states when none is given: that of --interface,
// else the one local address discovery finds (without its host-name line,
// since standard output carries the log).
std::string DiscoveredAddress(const CommonOptions& common);

} // namespace cli
