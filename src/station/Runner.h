#pragma once

#include "node/TimerService.h"
#include "station/Station.h"

#include <chrono>
#include <cstdint>
#include <functional>

namespace station {

// Runs a station second by second on a timer service. The nodes of a station
// take turns spread evenly over each second (to the millisecond), as
// separate devices would, so thousands of nodes do not send in one burst. Every deadline is the
// start plus whole seconds plus the node's share, never the last wake-up plus an interval, so late
// wake-ups do not add up to drift; whatever fell due meanwhile (a stopped process) runs at once.
class Runner {
public:
    using Clock = std::chrono::steady_clock;
    // Called once the run ends by itself: `completed` after the last second,
    // false when the system gave no timer.
    using Finished = std::function<void(bool completed)>;

    // `seconds` 0: until stopped.
    Runner(Station& station, node::TimerService& timers, Station::SendFunction send,
           std::int64_t seconds, Finished finished);

    // Runs the first node at once and arms the next.
    void start();
    void stop();
    // When the node now running was due.
    Clock::time_point deadline() const;

private:
    void fire();
    // Moves to the next node; false after the last second.
    bool advance();

    Station& station_;
    node::TimerService& timers_;
    Station::SendFunction send_;
    std::int64_t seconds_;
    Finished finished_;
    Clock::time_point start_;
    std::int64_t tick_ = 0;
    std::size_t node_ = 0;
};

} // namespace station
