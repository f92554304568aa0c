#pragma once

#include "node/LogClock.h"

namespace node {

// The real local clock, with the time format read from the user's locale when
// the clock is made (the locale does not change while the process runs).
class SystemLogClock : public LogClock {
public:
    SystemLogClock();
    TimeOfDay now() override;
    const LongTimeFormat& format() const override { return format_; }

private:
    LongTimeFormat format_;
};

} // namespace node
