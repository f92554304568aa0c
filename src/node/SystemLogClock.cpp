#include "node/SystemLogClock.h"

#include <ctime>

namespace node {

SystemLogClock::SystemLogClock() : format_(LongTimeFormat::FromUserLocale()) {}

TimeOfDay SystemLogClock::now()
{
    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr)
        return {};
    return {local.tm_hour, local.tm_min, local.tm_sec};
}

} // namespace node
