#include "loop/PreciseTimerService.h"

#include "runtime/Exception.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

namespace loop {

namespace {

using namespace std::chrono;

// steady_clock is CLOCK_MONOTONIC on Linux, the clock the timer runs on. A
// deadline at or before the clock's start would disarm it (a zero time
// means "stop"), so it becomes the first nanosecond, long past.
itimerspec At(steady_clock::time_point deadline)
{
    const auto since = std::max(deadline.time_since_epoch(), steady_clock::duration(1));
    const auto whole = duration_cast<seconds>(since);
    itimerspec value{};
    value.it_value.tv_sec = static_cast<time_t>(whole.count());
    value.it_value.tv_nsec = static_cast<long>(duration_cast<nanoseconds>(since - whole).count());
    return value;
}

} // namespace

PreciseTimerService::PreciseTimerService()
    : fd_(timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC))
{
    if (fd_ < 0)
        throw runtime::Exception(std::string("no timer: ") + std::strerror(errno));
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { expired(); });
}

PreciseTimerService::~PreciseTimerService()
{
    notifier_.reset();
    ::close(fd_);
}

steady_clock::time_point PreciseTimerService::now() const
{
    return steady_clock::now();
}

bool PreciseTimerService::arm(steady_clock::time_point deadline, std::function<void()> fire)
{
    const itimerspec value = At(deadline);
    if (timerfd_settime(fd_, TFD_TIMER_ABSTIME, &value, nullptr) != 0) {
        fire_ = nullptr;
        return false;
    }
    fire_ = std::move(fire);
    return true;
}

void PreciseTimerService::disarm()
{
    const itimerspec stop{};
    timerfd_settime(fd_, 0, &stop, nullptr);
    fire_ = nullptr;
}

void PreciseTimerService::expired()
{
    std::uint64_t expirations = 0;
    // Nothing to read: disarmed or re-armed since it became readable.
    if (::read(fd_, &expirations, sizeof expirations) != sizeof expirations)
        return;
    // Single shot: the handler arms again for its next deadline.
    if (auto fire = std::exchange(fire_, nullptr))
        fire();
}

} // namespace loop
