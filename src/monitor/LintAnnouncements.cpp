#include "monitor/LintAnnouncements.h"

namespace monitor {

void LintAnnouncements::heard(const std::string& source, const std::string& type, std::int32_t room,
                              std::int32_t region, std::int32_t order, std::int32_t cast)
{
    Key key{source, type, room, region, order};
    const auto [entry, added] = heard_.insert_or_assign(key, cast);
    if (!added)
        return;
    heardOrder_.push_back(std::move(key));
    if (heardOrder_.size() > kMaxHeard) {
        heard_.erase(heardOrder_.front());
        heardOrder_.pop_front();
    }
}

void LintAnnouncements::given(const std::string& type, std::int32_t cast)
{
    given_[type] = cast;
}

std::optional<std::int32_t> LintAnnouncements::cast(const std::string& source,
                                                    const std::string& type, std::int32_t room,
                                                    std::int32_t region, std::int32_t order) const
{
    if (const auto found = heard_.find(Key{source, type, room, region, order});
        found != heard_.end())
        return found->second;
    if (const auto found = given_.find(type); found != given_.end())
        return found->second;
    return std::nullopt;
}

} // namespace monitor
