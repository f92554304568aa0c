#include "loop/QtTimerService.h"

#include <QTimerEvent>

#include <algorithm>
#include <utility>

using namespace std::chrono;

QtTimerService::QtTimerService(QObject* parent)
    : QtTimerService([] { return steady_clock::now(); }, kLongestWait, parent)
{
}

QtTimerService::QtTimerService(Clock clock, milliseconds longestWait, QObject* parent)
    : QObject(parent), clock_(std::move(clock)), longestWait_(longestWait)
{
}

QtTimerService::~QtTimerService()
{
    disarm();
}

milliseconds QtTimerService::WaitTowards(steady_clock::duration remaining, milliseconds longest)
{
    // Compared before rounding, so that no duration, however long, is
    // converted to a count it does not fit.
    if (remaining >= longest)
        return longest;
    return ceil<milliseconds>(std::max(remaining, steady_clock::duration::zero()));
}

steady_clock::time_point QtTimerService::now() const
{
    return clock_();
}

bool QtTimerService::arm(steady_clock::time_point deadline, std::function<void()> fire)
{
    disarm();
    deadline_ = deadline;
    if (!startWait())
        return false;
    fire_ = std::move(fire);
    return true;
}

void QtTimerService::disarm()
{
    stopWait();
    fire_ = nullptr;
}

bool QtTimerService::startWait()
{
    timerId_ = startTimer(WaitTowards(deadline_ - now(), longestWait_), Qt::PreciseTimer);
    return timerId_ != 0;
}

void QtTimerService::stopWait()
{
    if (timerId_ != 0)
        killTimer(timerId_);
    timerId_ = 0;
}

void QtTimerService::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != timerId_)
        return;
    stopWait();
    // One of several waits towards a far deadline. A system out of timers
    // here fires early rather than never: the owner finds nothing due and
    // arms again, which reports the failure.
    if (now() < deadline_ && startWait())
        return;
    // Single shot: the handler re-arms for the next deadline. What it throws
    // goes to the application's notify(), where each program reports it.
    auto fire = std::move(fire_);
    fire_ = nullptr;
    fire();
}
