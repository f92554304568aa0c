#include "loop/QtTimerService.h"

#include <QTimerEvent>

QtTimerService::QtTimerService(QObject* parent) : QObject(parent) {}

QtTimerService::~QtTimerService()
{
    disarm();
}

std::chrono::steady_clock::time_point QtTimerService::now() const
{
    return std::chrono::steady_clock::now();
}

bool QtTimerService::arm(std::chrono::steady_clock::time_point deadline, std::function<void()> fire)
{
    using namespace std::chrono;
    disarm();
    // Round up so the wake-up never comes before the deadline.
    const auto wait =
        ceil<milliseconds>(std::max(deadline - now(), steady_clock::duration::zero()));
    timerId_ = startTimer(wait, Qt::PreciseTimer);
    if (timerId_ == 0)
        return false;
    fire_ = std::move(fire);
    return true;
}

void QtTimerService::disarm()
{
    if (timerId_ != 0)
        killTimer(timerId_);
    timerId_ = 0;
    fire_ = nullptr;
}

void QtTimerService::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != timerId_)
        return;
    // Single shot: the handler re-arms for the next deadline. What it throws
    // goes to the application's notify(), where each program reports it.
    auto fire = std::move(fire_);
    disarm();
    fire();
}
