#pragma once

#include "station/Scenario.h"

namespace station {

// Where an actuator is over time: it moves toward the last command it
// obeyed at its rate, within its range, until a fault stops it. Times are
// seconds of the run, handed in order.
class Actuator {
public:
    explicit Actuator(const ActuatorSettings& settings);

    // The command's value at `seconds`; ignored while it ignores commands.
    void command(double target, double seconds);
    // A fault event at `seconds`.
    void fault(EventSettings::Fault fault, double rate, double seconds);
    double position(double seconds) const;
    // Whether it has stopped reporting its state.
    bool silent() const { return silent_; }
    // Whether this command CCM drives it.
    bool obeys(const std::string& type, std::int32_t room, std::int32_t region,
               std::int32_t order) const;

private:
    // Fixes the position reached by `seconds` as the start of the next move.
    void settle(double seconds);

    const ActuatorSettings& settings_;
    double position_;
    double since_ = 0;
    double target_;
    double rate_;
    bool stuck_ = false;
    bool ignoring_ = false;
    bool silent_ = false;
};

} // namespace station
