#include "station/Runner.h"

#include <utility>

namespace station {

Runner::Runner(Station& station, node::TimerService& timers, Station::SendFunction send,
               std::int64_t seconds, Finished finished)
    : station_(station), timers_(timers), send_(std::move(send)), seconds_(seconds),
      finished_(std::move(finished))
{
}

void Runner::start()
{
    start_ = timers_.now();
    fire();
}

void Runner::stop()
{
    timers_.disarm();
}

void Runner::fire()
{
    station_.tick(tick_, send_);
    ++tick_;
    if (seconds_ > 0 && tick_ >= seconds_) {
        finished_(true);
        return;
    }
    if (!timers_.arm(start_ + std::chrono::seconds(tick_), [this] { fire(); }))
        finished_(false);
}

} // namespace station
