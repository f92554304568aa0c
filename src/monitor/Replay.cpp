#include "monitor/Replay.h"

#include "monitor/ReplayTimer.h"

#include <utility>

namespace monitor {

ReplaySchedule::ReplaySchedule(const std::vector<CaptureRecord>& records, double speed)
    : records_(records), speed_(speed)
{
}

std::chrono::steady_clock::duration ReplaySchedule::offset(std::size_t index) const
{
    if (speed_ == 0 || index == 0)
        return {};
    const auto gap = records_[index].time.instant - records_.front().time.instant;
    if (gap.count() <= 0)
        return {};
    return ScaledGap(gap, speed_);
}

Replay::Replay(const std::vector<CaptureRecord>& records, double speed, node::TimerService& timers,
               Send send, Finished finished)
    : records_(records), schedule_(records, speed), timers_(timers), send_(std::move(send)),
      finished_(std::move(finished))
{
}

void Replay::start()
{
    start_ = timers_.now();
    fire();
}

void Replay::stop()
{
    timers_.disarm();
}

void Replay::fire()
{
    const auto now = timers_.now();
    for (std::size_t batch = 0; next_ < records_.size() && batch < kBatch; ++batch) {
        if (start_ + schedule_.offset(next_) > now)
            break;
        send_(records_[next_++]);
    }
    if (next_ == records_.size()) {
        finished_(true);
        return;
    }
    // After a full batch the deadline is already past: the wake-up comes as
    // soon as the loop has looked at its other events.
    if (!timers_.arm(start_ + schedule_.offset(next_), [this] { fire(); }))
        finished_(false);
}

} // namespace monitor
