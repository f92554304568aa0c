#pragma once

#include "viewer/LiveFeed.h"
#include "viewer/TrafficModel.h"

#include <cstdint>
#include <string>

namespace viewer {

// What the engineer sets once per bench, remembered between runs
// (QSettings: ~/.config/setarome/setarome-monitor.conf).
struct ViewerSettings {
    std::uint16_t dataPort = 16520;
    // Hear the discovery ports (16521, 16529) too, so scans and their
    // replies show and announce units.
    bool scanPorts = true;
    std::string interfaceName;
    int receiveBufferKiB = 16 * 1024;
    int historyLength = 100'000;

    static ViewerSettings load();
    void save() const;

    FeedOptions feedOptions() const;
    TrafficLimits limits() const;
};

} // namespace viewer
