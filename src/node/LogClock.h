#pragma once

#include "node/LongTimeFormat.h"

namespace node {

// Where the log line's time comes from: the local time of day and the user's
// time format. SystemLogClock is the real one; tests inject a fixed one.
class LogClock {
public:
    virtual ~LogClock() = default;
    virtual TimeOfDay now() = 0;
    virtual const LongTimeFormat& format() const = 0;
};

} // namespace node
