#pragma once

#include "MemoryPanel.h"
#include "node/LogClock.h"
#include "node/NodeState.h"
#include "node/Sender.h"
#include "node/TransmissionTick.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// A clock that starts at 9:05:03 and moves one second per reading, on a
// 24-hour clock without leading zeros.
class SteppingLogClock : public node::LogClock {
public:
    SteppingLogClock() { format_.twentyFourHour = true; }
    node::TimeOfDay now() override
    {
        node::TimeOfDay time{9, 5, 3 + readings_ % 57};
        ++readings_;
        return time;
    }
    const node::LongTimeFormat& format() const override { return format_; }

private:
    node::LongTimeFormat format_;
    int readings_ = 0;
};

// Keeps every datagram; throws instead when `fail` is set.
class RecordingSender : public node::Sender {
public:
    std::vector<std::pair<std::string, std::uint16_t>> sent;
    bool fail = false;

    void Send(const std::string& payload, std::uint16_t port) override
    {
        if (fail)
            throw std::runtime_error("network unreachable");
        sent.emplace_back(payload, port);
    }
};

// A node with an in-memory panel, ready to tick; `stops` counts the stops the
// file source asked for.
struct TickBench {
    MemoryPanel panel;
    RecordingSender sender;
    SteppingLogClock clock;
    node::NodeState state;
    int stops = 0;
    node::TransmissionTick tick{state, panel, sender, clock, [this] { ++stops; }};

    // Runs one tick; returns what LabelNow shows after it.
    std::string runTick()
    {
        tick.run();
        return panel.labels.at(node::Control::LabelNow);
    }
};
