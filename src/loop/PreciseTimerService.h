#pragma once

#include "node/TimerService.h"

#include <QSocketNotifier>

#include <chrono>
#include <functional>
#include <memory>

namespace loop {

// A timer on the Qt event loop that wakes at its deadline to the
// microsecond, where Qt's own timers wait whole milliseconds from the moment
// they are armed: a station that sends every millisecond's datagrams
// together would otherwise send each up to a millisecond later than its
// turn. The system's timer (timerfd) keeps the absolute deadline itself.
class PreciseTimerService : public node::TimerService {
public:
    // Throws runtime::Exception when the system gives no timer.
    PreciseTimerService();
    ~PreciseTimerService() override;
    PreciseTimerService(const PreciseTimerService&) = delete;
    PreciseTimerService& operator=(const PreciseTimerService&) = delete;

    std::chrono::steady_clock::time_point now() const override;
    bool arm(std::chrono::steady_clock::time_point deadline, std::function<void()> fire) override;
    void disarm() override;

private:
    void expired();

    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void()> fire_;
};

} // namespace loop
