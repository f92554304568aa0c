#pragma once

#include "node/TimerService.h"
#include "station/Station.h"

#include <chrono>
#include <cstdint>
#include <functional>

namespace station {

// Runs a station second by second on a timer service. Each second's deadline
// is the start plus that many seconds, never the last wake-up plus one, so
// late wake-ups do not add up to drift; a second missed altogether (a
// stopped process) is run at once, as soon as the loop is free.
class Runner {
public:
    // Called once the run ends by itself: `completed` after the last second,
    // false when the system gave no timer.
    using Finished = std::function<void(bool completed)>;

    // `seconds` 0: until stopped.
    Runner(Station& station, node::TimerService& timers, Station::SendFunction send,
           std::int64_t seconds, Finished finished);

    // Runs second 0 at once and arms the next.
    void start();
    void stop();

private:
    void fire();

    Station& station_;
    node::TimerService& timers_;
    Station::SendFunction send_;
    std::int64_t seconds_;
    Finished finished_;
    std::chrono::steady_clock::time_point start_;
    std::int64_t tick_ = 0;
};

} // namespace station
