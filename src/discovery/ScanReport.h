#pragma once

#include "discovery/ScanClient.h"

#include <string>
#include <vector>

namespace discovery {

// What answered, as aligned text with the wire's texts escaped: a row per
// node (address, name, vendor, UECS-ID, IP text, MAC), and with `ccms` its
// CCMs indented under it.
std::string NodeTable(const std::vector<FoundNode>& nodes, bool ccms);
// One JSON object per node, one per line, safe for a terminal.
std::string NodeJson(const std::vector<FoundNode>& nodes, bool ccms);

std::string ServerTable(const std::vector<FoundServer>& servers);
std::string ServerJson(const std::vector<FoundServer>& servers);

} // namespace discovery
