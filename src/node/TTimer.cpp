#include "node/TTimer.h"

#include "runtime/Exception.h"

#include <algorithm>
#include <utility>

namespace node {

TTimer::TTimer(TimerService& service) : service_(service) {}

TTimer::~TTimer()
{
    if (running_)
        service_.disarm();
}

void TTimer::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Restart();
}

void TTimer::SetInterval(std::uint32_t milliseconds)
{
    if (milliseconds == interval_)
        return;
    interval_ = milliseconds;
    Restart();
}

void TTimer::SetOnTimer(Handler handler)
{
    onTimer_ = std::move(handler);
    Restart();
}

// Destroys the system timer and creates a new one if the timer should run;
// the schedule starts over from now.
void TTimer::Restart()
{
    if (running_) {
        service_.disarm();
        running_ = false;
    }
    if (!enabled_ || interval_ == 0 || !onTimer_)
        return;
    start_ = service_.now();
    due_ = 1;
    Arm();
}

void TTimer::Arm()
{
    const auto deadline = start_ + due_ * std::chrono::milliseconds(interval_);
    running_ = service_.arm(deadline, [this] { Fire(); });
    if (!running_)
        throw runtime::EOutOfResources("タイマーを取得できません");
}

void TTimer::Fire()
{
    // The next tick is taken from the grid, not from now: a late tick stands
    // for every tick missed meanwhile, and the ones after it keep their time.
    const auto elapsed = service_.now() - start_;
    const std::int64_t passed = elapsed / std::chrono::milliseconds(interval_);
    due_ = std::max(due_, passed) + 1;
    // Armed before the handler runs, so a tick that throws or outlasts the
    // interval leaves the timer running, with one tick pending at most.
    Arm();
    // A copy: the handler may replace the timer's handler while it runs.
    const Handler handler = onTimer_;
    handler();
}

} // namespace node
