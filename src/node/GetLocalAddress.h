#pragma once

#include "node/LocalAddressPlatform.h"

#include <string>

namespace node {

// The machine's own IPv4 address as dotted-decimal text, for the node's IP
// field: the resolver's first address for the host name; when that is
// missing or loopback, the source address of a broadcast, else the first
// address of an interface with a carrier, else "127.0.0.1". "0" when the
// work fails with an exception. Writes the host name to standard output.
// Never throws.
std::string GetLocalAddress(LocalAddressPlatform& platform);

// The same on this machine.
std::string GetLocalAddress();

} // namespace node
