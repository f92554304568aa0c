#include "monitor/ReplayTimer.h"

#include <thread>
#include <utility>

namespace monitor {

std::chrono::steady_clock::duration ScaledGap(std::chrono::microseconds gap, double speed)
{
    const std::chrono::duration<double, std::micro> scaled(static_cast<double>(gap.count()) /
                                                           speed);
    // Compared as doubles: converting one beyond the integer's range is
    // undefined. The negation also catches a NaN.
    if (!(scaled < kLongestReplayWait))
        return kLongestReplayWait;
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(scaled);
}

ReplayTimer::ReplayTimer(node::TimerService& inner, std::chrono::microseconds lead, Sleep sleep)
    : inner_(inner), lead_(lead), sleep_(std::move(sleep))
{
    if (!sleep_)
        sleep_ = [](std::chrono::steady_clock::duration span) {
            std::this_thread::sleep_for(span);
        };
}

bool ReplayTimer::arm(std::chrono::steady_clock::time_point deadline, std::function<void()> fire)
{
    deadline_ = deadline;
    fire_ = std::move(fire);
    return armInner();
}

void ReplayTimer::disarm()
{
    inner_.disarm();
    fire_ = nullptr;
}

bool ReplayTimer::armInner()
{
    return inner_.arm(deadline_ - lead_, [this] { wake(); });
}

void ReplayTimer::wake()
{
    const auto remaining = deadline_ - inner_.now();
    // Sleeping longer would leave the loop deaf to signals. Without a timer
    // the owner is woken early: it finds nothing due, arms again and hears
    // of the failure then.
    if (remaining > lead_ && armInner())
        return;
    if (remaining > std::chrono::steady_clock::duration::zero() && remaining <= lead_)
        sleep_(remaining);
    auto fire = std::exchange(fire_, nullptr);
    fire();
}

} // namespace monitor
