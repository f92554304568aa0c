#pragma once

#include "node/TimerService.h"

#include <QObject>

#include <chrono>
#include <functional>

// The node's timer on the Qt event loop: one precise single-shot system timer
// per armed deadline. Timer events are dispatched by every running loop,
// modal dialogs' loops included, so ticks keep coming while a dialog is open.
// Qt's timers hold their interval in an int of milliseconds (24.8 days), so a
// far deadline is reached in waits of at most a day, each checked against
// the clock.
class QtTimerService : public QObject, public node::TimerService {
    Q_OBJECT

public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::milliseconds kLongestWait = std::chrono::hours(24);

    explicit QtTimerService(QObject* parent = nullptr);
    // A clock of the caller's and a shorter longest wait, so that a test can
    // reach a far deadline without waiting for it.
    QtTimerService(Clock clock, std::chrono::milliseconds longestWait, QObject* parent = nullptr);
    ~QtTimerService() override;

    // The system timer's wait towards a deadline `remaining` ahead: rounded
    // up, so the wake-up never comes before it, and at most `longest`.
    static std::chrono::milliseconds WaitTowards(std::chrono::steady_clock::duration remaining,
                                                 std::chrono::milliseconds longest);

    std::chrono::steady_clock::time_point now() const override;
    bool arm(std::chrono::steady_clock::time_point deadline, std::function<void()> fire) override;
    void disarm() override;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    // Starts the system timer for the next wait; false when there is none.
    bool startWait();
    void stopWait();

    Clock clock_;
    std::chrono::milliseconds longestWait_;
    int timerId_ = 0;
    std::chrono::steady_clock::time_point deadline_;
    std::function<void()> fire_;
};
