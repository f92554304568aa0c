#pragma once

#include "node/RandomSequence.h"
#include "station/Generator.h"
#include "station/Scenario.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace station {

// One datagram's worth, valid during the call that hands it out.
struct Outgoing {
    const std::string& ip;
    const CcmSettings& ccm;
    // The value as sent, with exactly the CCM's decimals.
    const std::string& value;
    // The message text (UTF-8).
    const std::string& message;
};

// The scenario's nodes at run time: every CCM's generator, its place in the
// send schedule and what it last sent. It runs one second of the schedule at
// a time and knows no clock; generator time is `speed` times the seconds run.
class Station {
public:
    using SendFunction = std::function<void(const Outgoing&)>;

    // `autoAddress` is the text of "auto" addresses. Throws
    // runtime::Exception when repeated copies of a node would run past
    // 255.255.255.255.
    Station(Scenario scenario, const std::string& autoAddress, double speed);
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;
    ~Station();

    // Second `tick` of the run (0, 1, 2, ... in order) in parts, so that the
    // nodes' sends can be spread over the second: beginSecond runs the
    // events that are due, then runNode sends each CCM of one node whose
    // send falls on this second or whose value changed.
    void beginSecond(std::int64_t tick);
    void runNode(std::size_t index, const SendFunction& send);
    // How many of node `index`'s CCMs have their periodic send on this
    // second: what skipping its turn leaves unsent.
    std::int64_t periodicSends(std::size_t index) const;
    std::size_t nodeCount() const;
    // A command CCM's value that receivers take, heard `seconds` into the
    // run: the actuators it drives follow it.
    void command(const std::string& type, std::int32_t room, std::int32_t region,
                 std::int32_t order, double value, double seconds);

    // A node as scans describe it: its address text, its settings, which of
    // the settings' copies it is (from 0), and its CCMs ("cnd" first).
    struct NodeView {
        const std::string& ip;
        const NodeSettings& settings;
        std::int32_t copy;
        std::vector<const CcmSettings*> ccms;
    };
    NodeView node(std::size_t index) const;

private:
    struct Ccm;
    struct Node;

    void addNode(const NodeSettings& settings, std::int32_t copy, const std::string& ip,
                 std::uint8_t lastOctet);
    void applyEvents(double time);
    void runCcm(const Node& node, Ccm& ccm, const SendFunction& send);

    Scenario scenario_;
    double speed_;
    node::RandomSequence random_;
    std::vector<Node> nodes_;
    std::size_t nextEvent_ = 0;
    // The second being run, and its generator time.
    std::int64_t tick_ = 0;
    double time_ = 0;
    std::string value_;
    std::string message_;
};

} // namespace station
