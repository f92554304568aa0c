#include "station/Actuator.h"

#include <algorithm>
#include <cmath>

namespace station {

Actuator::Actuator(const ActuatorSettings& settings)
    : settings_(settings), position_(settings.initial), target_(settings.initial),
      rate_(settings.rate)
{
}

bool Actuator::obeys(const std::string& type, std::int32_t room, std::int32_t region,
                     std::int32_t order) const
{
    return type == settings_.commandType && room == settings_.commandRoom &&
           region == settings_.commandRegion && order == settings_.commandOrder;
}

void Actuator::command(double target, double seconds)
{
    if (ignoring_ || !std::isfinite(target))
        return;
    settle(seconds);
    // A command past the end stops it at the end, as a limit switch does.
    target_ = std::clamp(target, settings_.min, settings_.max);
}

void Actuator::fault(EventSettings::Fault fault, double rate, double seconds)
{
    settle(seconds);
    using Fault = EventSettings::Fault;
    switch (fault) {
    case Fault::Stuck:
        stuck_ = true;
        break;
    case Fault::Slow:
        rate_ = rate;
        break;
    case Fault::Ignore:
        ignoring_ = true;
        break;
    case Fault::Silent:
        silent_ = true;
        break;
    case Fault::Recover:
        stuck_ = ignoring_ = silent_ = false;
        rate_ = settings_.rate;
        break;
    case Fault::None:
        break;
    }
}

double Actuator::position(double seconds) const
{
    if (stuck_)
        return position_;
    const double travel = rate_ * std::max(0.0, seconds - since_);
    const double moved = target_ > position_ ? std::min(target_, position_ + travel)
                                             : std::max(target_, position_ - travel);
    return std::clamp(moved, settings_.min, settings_.max);
}

void Actuator::settle(double seconds)
{
    position_ = position(seconds);
    since_ = std::max(since_, seconds);
}

} // namespace station
