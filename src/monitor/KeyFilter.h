#pragma once

#include "monitor/KeyTable.h"

#include <cstdint>
#include <set>
#include <string>

namespace monitor {

// What the monitor shows: each non-empty set admits only its members, and a
// datagram must pass every set. A datagram with no CCM key (one that does
// not decode, a scan) passes only when no key set is given.
struct KeyFilter {
    std::set<std::string> types;
    std::set<std::int32_t> rooms;
    std::set<std::int32_t> regions;
    std::set<std::string> sources;

    bool admits(const CcmKey& key, const std::string& source) const;
    bool admitsKeyless(const std::string& source) const;
};

} // namespace monitor
