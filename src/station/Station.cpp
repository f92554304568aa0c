#include "station/Station.h"

#include "ccm/DataMessage.h"
#include "ccm/Ipv4Text.h"
#include "runtime/Exception.h"
#include "station/Actuator.h"
#include "station/CopyAddress.h"

#include <algorithm>

namespace station {

struct Station::Ccm {
    Ccm(const CcmSettings& settings, std::int32_t sendSecond)
        : settings(&settings), sendSecond(sendSecond),
          generator(MakeGenerator(settings.generator, 0))
    {
    }

    const CcmSettings* settings;
    std::int32_t sendSecond;
    std::unique_ptr<Generator> generator;
    // Generator time at which the generator started.
    double startedAt = 0;
    // The generator's last value; valid once it has been asked.
    double current = 0;
    bool evaluated = false;
    double jitter = 0;
    bool sent = false;
    std::string lastValue;
    // Set for an actuator's state: its value is where the actuator is.
    std::unique_ptr<Actuator> actuator;
};

struct Station::Node {
    std::string ip;
    const NodeSettings* settings = nullptr;
    std::int32_t copy = 0;
    // Its "cnd", with the node's room and region.
    std::unique_ptr<CcmSettings> condition;
    std::vector<Ccm> ccms;
};

Station::Station(Scenario scenario, const std::string& autoAddress, double speed)
    : scenario_(std::move(scenario)), speed_(speed),
      random_(scenario_.seed ? node::RandomSequence(*scenario_.seed) : node::RandomSequence())
{
    for (const NodeSettings& settings : scenario_.nodes) {
        const std::string& text = settings.address == "auto" ? autoAddress : settings.address;
        const std::optional<std::uint32_t> address = ccm::ParseIpv4(text);
        // An address that is no IPv4 text (a host without one) is sent as it
        // is, by every copy.
        if (!address) {
            for (std::int32_t copy = 0; copy < settings.repeat; ++copy)
                addNode(settings, copy, text, 0);
            continue;
        }
        // Only "auto" can get here: the reader checked a written address.
        if (!CopyAddress(*address, static_cast<std::uint32_t>(settings.repeat - 1)))
            throw runtime::Exception(settings.repeatPlace + ": " + kRepeatTooFar + " from " + text);
        for (std::int32_t copy = 0; copy < settings.repeat; ++copy) {
            const std::uint32_t ip = *CopyAddress(*address, static_cast<std::uint32_t>(copy));
            addNode(settings, copy, ccm::Ipv4Text(ip), static_cast<std::uint8_t>(ip & 0xFF));
        }
    }
}

Station::~Station() = default;

void Station::addNode(const NodeSettings& settings, std::int32_t copy, const std::string& ip,
                      std::uint8_t lastOctet)
{
    Node& node = nodes_.emplace_back();
    node.ip = ip;
    node.settings = &settings;
    node.copy = copy;
    if (settings.condition) {
        node.condition = std::make_unique<CcmSettings>(ConditionCcm(settings));
        node.ccms.emplace_back(*node.condition, 0);
    }
    for (std::size_t index = 0; index < settings.ccms.size(); ++index) {
        const CcmSettings& ccm = settings.ccms[index];
        const std::int32_t second =
            SendSecond(ccm.level, lastOctet, static_cast<std::int32_t>(index));
        node.ccms.emplace_back(ccm, second);
    }
    const std::size_t first = settings.condition ? 1 : 0;
    for (const ActuatorSettings& actuator : settings.actuators)
        node.ccms[first + actuator.stateIndex].actuator = std::make_unique<Actuator>(actuator);
}

void Station::command(const std::string& type, std::int32_t room, std::int32_t region,
                      std::int32_t order, double value, double seconds)
{
    for (Node& node : nodes_)
        for (Ccm& ccm : node.ccms)
            if (ccm.actuator && ccm.actuator->obeys(type, room, region, order))
                ccm.actuator->command(value, seconds);
}

std::size_t Station::nodeCount() const
{
    return nodes_.size();
}

Station::NodeView Station::node(std::size_t index) const
{
    const Node& node = nodes_[index];
    NodeView view{node.ip, *node.settings, node.copy, {}};
    for (const Ccm& ccm : node.ccms)
        view.ccms.push_back(ccm.settings);
    return view;
}

void Station::beginSecond(std::int64_t tick)
{
    tick_ = tick;
    time_ = static_cast<double>(tick) * speed_;
    applyEvents(time_);
}

void Station::runNode(std::size_t index, const SendFunction& send)
{
    Node& node = nodes_[index];
    for (Ccm& ccm : node.ccms)
        runCcm(node, ccm, send);
}

std::int64_t Station::periodicSends(std::size_t index) const
{
    const std::vector<Ccm>& ccms = nodes_[index].ccms;
    return std::count_if(ccms.begin(), ccms.end(), [this](const Ccm& ccm) {
        return SendsAt(ccm.settings->level, ccm.sendSecond, tick_);
    });
}

void Station::applyEvents(double time)
{
    const std::vector<EventSettings>& events = scenario_.events;
    for (; nextEvent_ < events.size() && events[nextEvent_].at <= time; ++nextEvent_) {
        const EventSettings& event = events[nextEvent_];
        for (Node& node : nodes_) {
            for (Ccm& ccm : node.ccms) {
                if (!EventMatches(event, *ccm.settings))
                    continue;
                if (event.fault != EventSettings::Fault::None) {
                    if (ccm.actuator)
                        ccm.actuator->fault(event.fault, event.rate, time);
                    continue;
                }
                // A ramp without `from` starts where the value is now, also
                // for a CCM that has not been sent yet.
                if (!ccm.evaluated)
                    ccm.current = ccm.generator->value(time - ccm.startedAt, true, random_);
                if (event.generator) {
                    ccm.generator = MakeGenerator(*event.generator, ccm.current);
                } else {
                    GeneratorSettings constant;
                    constant.value = *event.value;
                    ccm.generator = MakeGenerator(constant, 0);
                }
                ccm.startedAt = time;
            }
        }
    }
}

void Station::runCcm(const Node& node, Ccm& ccm, const SendFunction& send)
{
    const CcmSettings& settings = *ccm.settings;
    const bool periodic = SendsAt(settings.level, ccm.sendSecond, tick_);
    // An A level watches for changes only once it has sent; until then, and
    // between its sends when it does not watch, nothing needs its value.
    const bool watching = settings.level.onChange && (settings.level.interval == 0 || ccm.sent);
    if (!periodic && !watching)
        return;
    const bool step = periodic || settings.level.interval == 0;
    if (ccm.actuator && ccm.actuator->silent())
        return;
    double value = ccm.actuator ? ccm.actuator->position(time_)
                                : ccm.generator->value(time_ - ccm.startedAt, step, random_);
    if (step && settings.noise > 0)
        ccm.jitter = settings.noise * (2.0 * random_.next() / node::RandomSequence::kMax - 1.0);
    ccm.current = value;
    ccm.evaluated = true;
    value += ccm.jitter;
    if (settings.clampMin)
        value = std::max(value, *settings.clampMin);
    if (settings.clampMax)
        value = std::min(value, *settings.clampMax);
    ccm::FormatValue(value, settings.cast, value_);
    if (!periodic && ccm.sent && value_ == ccm.lastValue)
        return;
    ccm.sent = true;
    ccm.lastValue = value_;
    ccm::DataFields fields;
    fields.type = settings.type;
    fields.room = settings.room;
    fields.region = settings.region;
    fields.order = settings.order;
    fields.priority = settings.priority;
    fields.value = value_;
    fields.ip = node.ip;
    ccm::FormatDataMessage(fields, message_);
    send(Outgoing{node.ip, settings, value_, message_});
}

} // namespace station
