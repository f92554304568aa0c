#pragma once

#include <chrono>
#include <functional>

namespace node {

// The system timer under the node's Timer1: one single-shot wake-up at a time
// on the message-loop thread. The application implements it with its event
// loop; tests use a clock they advance by hand.
class TimerService {
public:
    virtual ~TimerService() = default;
    virtual std::chrono::steady_clock::time_point now() const = 0;
    // Arms a single wake-up at `deadline`, replacing any armed one; false when
    // the system cannot give a timer. A deadline already past fires as soon as
    // the thread is free, once.
    virtual bool arm(std::chrono::steady_clock::time_point deadline,
                     std::function<void()> fire) = 0;
    virtual void disarm() = 0;
};

} // namespace node
