#include "monitor/Replay.h"

#include "monitor/ReplayTimer.h"

#include <utility>

namespace monitor {

ReplaySchedule::ReplaySchedule(double speed) : speed_(speed) {}

std::chrono::steady_clock::duration ReplaySchedule::offset(const capture::CaptureTime& time)
{
    if (!first_)
        first_ = time;
    if (speed_ == 0)
        return {};
    const auto gap = time.instant - first_->instant;
    if (gap.count() <= 0)
        return {};
    return ScaledGap(gap, speed_);
}

Replay::Replay(Next next, double speed, node::TimerService& timers, Send send, Finished finished)
    : next_(std::move(next)), schedule_(speed), timers_(timers), send_(std::move(send)),
      finished_(std::move(finished))
{
}

void Replay::start()
{
    start_ = timers_.now();
    pending_ = next_();
    fire();
}

void Replay::stop()
{
    stopped_ = true;
    timers_.disarm();
}

std::chrono::steady_clock::time_point Replay::due()
{
    return start_ + schedule_.offset(pending_->time);
}

void Replay::fire()
{
    const auto now = timers_.now();
    for (std::size_t batch = 0; pending_ && !stopped_ && batch < kBatch; ++batch) {
        if (due() > now)
            break;
        send_(*pending_);
        ++sent_;
        if (!stopped_)
            pending_ = next_();
    }
    if (stopped_)
        return;
    if (!pending_) {
        finished_(true);
        return;
    }
    // After a full batch the deadline is already past: the wake-up comes as
    // soon as the loop has looked at its other events.
    if (!timers_.arm(due(), [this] { fire(); }))
        finished_(false);
}

} // namespace monitor
