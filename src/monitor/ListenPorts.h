#pragma once

#include <cstdint>
#include <vector>

namespace monitor {

// The ports a receiving command listens on: the data port, then with `scans`
// the discovery ports (SEARCH, then NODESCAN), each port once. A port bound
// twice would hear each broadcast twice, and count it twice.
std::vector<std::uint16_t> ListenPorts(std::uint16_t dataPort, bool scans);

} // namespace monitor
