#include "station/Runner.h"

#include <algorithm>
#include <utility>

namespace station {

Runner::Runner(Station& station, node::TimerService& timers, Station::SendFunction send,
               std::int64_t seconds, Finished finished, Skipped skipped)
    : station_(station), timers_(timers), send_(std::move(send)), seconds_(seconds),
      finished_(std::move(finished)), skipped_(std::move(skipped))
{
}

void Runner::start()
{
    start_ = timers_.now();
    fire();
}

void Runner::stop()
{
    timers_.disarm();
}

Runner::Clock::time_point Runner::deadline() const
{
    // Whole milliseconds: one wake-up serves every node due in the same one,
    // which halves the CPU time of a station of thousands of nodes.
    const auto count = static_cast<std::int64_t>(std::max<std::size_t>(station_.nodeCount(), 1));
    const std::chrono::milliseconds share(1000 * static_cast<std::int64_t>(node_) / count);
    return start_ + std::chrono::seconds(tick_) + share;
}

bool Runner::advance()
{
    if (++node_ < station_.nodeCount())
        return true;
    node_ = 0;
    ++tick_;
    return seconds_ == 0 || tick_ < seconds_;
}

std::int64_t Runner::take(Clock::time_point now)
{
    if (node_ == 0)
        station_.beginSecond(tick_);
    if (node_ >= station_.nodeCount())
        return 0;
    if (deadline() + std::chrono::seconds(1) <= now)
        return station_.periodicSends(node_);
    station_.runNode(node_, send_);
    return 0;
}

void Runner::fire()
{
    const Clock::time_point now = timers_.now();
    const Clock::duration late = now - deadline();
    std::int64_t skipped = 0;
    bool more = true;
    do {
        skipped += take(now);
        more = advance();
    } while (more && deadline() <= now);
    if (wakeEnd_)
        wakeEnd_();
    skippedSends_ += skipped;
    if (skipped > 0 && skipped_)
        skipped_(skipped, late);
    if (!more)
        finished_(true);
    else if (!timers_.arm(deadline(), [this] { fire(); }))
        finished_(false);
}

} // namespace station
