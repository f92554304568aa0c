#include "monitor/ReplayTimer.h"

#include <thread>
#include <utility>

namespace monitor {

ReplayTimer::ReplayTimer(node::TimerService& inner, std::chrono::microseconds lead)
    : inner_(inner), lead_(lead)
{
}

bool ReplayTimer::arm(std::chrono::steady_clock::time_point deadline, std::function<void()> fire)
{
    return inner_.arm(deadline - lead_, [deadline, fire = std::move(fire)] {
        std::this_thread::sleep_until(deadline);
        fire();
    });
}

} // namespace monitor
