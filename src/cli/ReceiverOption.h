#pragma once

#include "ccm/LiteralReceiver.h"

#include <CLI/CLI.hpp>

#include <string>

namespace cli {

// --receiver literal|tolerant, the same in every subcommand that judges data
// messages: `what` says what a literal receiver's drop gives there.
void AddReceiverOption(CLI::App& command, std::string& receiver, const std::string& what);

ccm::ReceiverProfile ReceiverProfileOf(const std::string& receiver);

} // namespace cli
