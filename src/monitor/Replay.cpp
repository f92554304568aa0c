#include "monitor/Replay.h"

#include "monitor/ReplayTimer.h"

#include <algorithm>
#include <utility>

namespace monitor {

namespace {

// Two non-negative spans of capture time added without overflow: the times
// come from the sender's clock, and rounds add up. Half the range is
// still some 140 000 years.
std::chrono::microseconds SaturatedSum(std::chrono::microseconds a, std::chrono::microseconds b)
{
    constexpr std::chrono::microseconds kMost = std::chrono::microseconds::max() / 2;
    return std::min(a, kMost) + std::min(b, kMost - std::min(a, kMost));
}

} // namespace

ReplaySchedule::ReplaySchedule(double speed) : speed_(speed) {}

std::chrono::steady_clock::duration ReplaySchedule::offset(const capture::CaptureTime& time)
{
    if (!first_)
        first_ = time;
    // Against the first round's first record: every round reads the same one.
    const std::chrono::microseconds gap =
        std::max(time.instant - first_->instant, std::chrono::microseconds{0});
    span_ = std::max(span_, gap);
    ++records_;
    if (speed_ == 0)
        return {};
    return ScaledGap(SaturatedSum(roundStart_, gap), speed_);
}

void ReplaySchedule::nextRound()
{
    const std::chrono::microseconds meanGap = records_ > 1
                                                  ? span_ / static_cast<std::int64_t>(records_ - 1)
                                                  : std::chrono::microseconds{0};
    roundStart_ = SaturatedSum(roundStart_, SaturatedSum(span_, meanGap));
    span_ = {};
    records_ = 0;
}

Replay::Replay(Next next, double speed, node::TimerService& timers, Send send, Finished finished,
               std::size_t rounds, Rewind rewind)
    : next_(std::move(next)), schedule_(speed), timers_(timers), send_(std::move(send)),
      finished_(std::move(finished)), rounds_(rounds), rewind_(std::move(rewind))
{
}

std::optional<capture::CaptureRecord> Replay::nextRecord()
{
    std::optional<capture::CaptureRecord> record = next_();
    // A round that sent nothing (an empty capture) would send nothing again.
    if (record || sent_ == sentBeforeRound_ || round_ >= rounds_ || !rewind_ || !rewind_())
        return record;
    ++round_;
    sentBeforeRound_ = sent_;
    schedule_.nextRound();
    return next_();
}

void Replay::start()
{
    start_ = timers_.now();
    takeNext();
    fire();
}

void Replay::stop()
{
    stopped_ = true;
    timers_.disarm();
}

void Replay::takeNext()
{
    pending_ = nextRecord();
    // Once per record: the schedule counts the records of a round.
    if (pending_)
        due_ = start_ + schedule_.offset(pending_->time);
}

void Replay::fire()
{
    const auto now = timers_.now();
    for (std::size_t batch = 0; pending_ && !stopped_ && batch < kBatch; ++batch) {
        if (due_ > now)
            break;
        send_(*pending_);
        ++sent_;
        if (!stopped_)
            takeNext();
    }
    if (stopped_)
        return;
    if (!pending_) {
        finished_(true);
        return;
    }
    // After a full batch the deadline is already past: the wake-up comes as
    // soon as the loop has looked at its other events.
    if (!timers_.arm(due_, [this] { fire(); }))
        finished_(false);
}

} // namespace monitor
