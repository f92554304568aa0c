#include "monitor/KeyFilter.h"

namespace monitor {

namespace {

template <typename T> bool Admits(const std::set<T>& allowed, const T& value)
{
    return allowed.empty() || allowed.contains(value);
}

} // namespace

bool KeyFilter::admits(const CcmKey& key, const std::string& source) const
{
    return Admits(types, key.type) && Admits(rooms, key.room) && Admits(regions, key.region) &&
           Admits(sources, source);
}

bool KeyFilter::admitsKeyless(const std::string& source) const
{
    return types.empty() && rooms.empty() && regions.empty() && Admits(sources, source);
}

} // namespace monitor
