#pragma once

#include "discovery/ScanClient.h"

#include <string>
#include <string_view>
#include <vector>

namespace discovery {

// A wire text made safe for a terminal: control characters (C0, DEL, C1),
// bytes that are not UTF-8 and the backslash itself written as \xNN or \\.
std::string TerminalText(std::string_view text);

// What answered, as aligned text: a row per node (address, name, vendor,
// UECS-ID, IP text, MAC), and with `ccms` its CCMs indented under it.
std::string NodeTable(const std::vector<FoundNode>& nodes, bool ccms);
// One JSON object per node, one per line.
std::string NodeJson(const std::vector<FoundNode>& nodes, bool ccms);

std::string ServerTable(const std::vector<FoundServer>& servers);
std::string ServerJson(const std::vector<FoundServer>& servers);

} // namespace discovery
