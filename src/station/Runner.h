#pragma once

#include "node/TimerService.h"
#include "station/Station.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <utility>

namespace station {

// Runs a station second by second on a timer service. The nodes of a station
// take turns spread evenly over each second (to the millisecond), as
// separate devices would, so thousands of nodes do not send in one burst. Every deadline is the
// start plus whole seconds plus the node's share, never the last wake-up plus an interval, so late
// wake-ups do not add up to drift. After a stall (a stopped process, a starved machine) a node's
// turn whose next turn is already due too is skipped: the node sends its current value at its
// next turn, as a device that was busy would, rather than every send it owed in one burst.
class Runner {
public:
    using Clock = std::chrono::steady_clock;
    // Called once the run ends by itself: `completed` after the last second,
    // false when the system gave no timer.
    using Finished = std::function<void(bool completed)>;
    // After a wake-up that skipped turns: the periodic sends they held, and
    // how late the wake-up came for the first of them.
    using Skipped = std::function<void(std::int64_t sends, Clock::duration late)>;

    // `seconds` 0: until stopped. `skipped` may be empty.
    Runner(Station& station, node::TimerService& timers, Station::SendFunction send,
           std::int64_t seconds, Finished finished, Skipped skipped = nullptr);

    // Called at the end of every wake-up, once the sends of every node due
    // by then have been made: a sender that gathers them sends them here.
    void setWakeEnd(std::function<void()> wakeEnd) { wakeEnd_ = std::move(wakeEnd); }

    // Runs the first node at once and arms the next.
    void start();
    void stop();
    // When the node now running was due.
    Clock::time_point deadline() const;
    // The periodic sends skipped so far.
    std::int64_t skippedSends() const { return skippedSends_; }

private:
    void fire();
    // Moves to the next node; false after the last second.
    bool advance();
    // Runs the node whose turn it is, or skips it when its next turn is due
    // by `now` too; the sends skipped.
    std::int64_t take(Clock::time_point now);

    Station& station_;
    node::TimerService& timers_;
    Station::SendFunction send_;
    std::int64_t seconds_;
    Finished finished_;
    Skipped skipped_;
    std::function<void()> wakeEnd_;
    Clock::time_point start_;
    std::int64_t tick_ = 0;
    std::size_t node_ = 0;
    std::int64_t skippedSends_ = 0;
};

} // namespace station
