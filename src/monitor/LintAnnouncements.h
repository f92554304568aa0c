#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <tuple>

namespace monitor {

// The decimals each CCM is announced with (the cast of a CCMSCAN reply), so
// that a data message written with other decimals can be told. Announcements
// heard are kept per source address; those given by hand (--cast TYPE=N)
// hold for a type from any source.
class LintAnnouncements {
public:
    // Enough for every CCM of a large segment; beyond it the oldest
    // announcement heard is forgotten, so a flood cannot exhaust memory.
    static constexpr std::size_t kMaxHeard = 65536;

    void heard(const std::string& source, const std::string& type, std::int32_t room,
               std::int32_t region, std::int32_t order, std::int32_t cast);
    void given(const std::string& type, std::int32_t cast);

    // What the source announced for this CCM, else what was given for its type.
    std::optional<std::int32_t> cast(const std::string& source, const std::string& type,
                                     std::int32_t room, std::int32_t region,
                                     std::int32_t order) const;

private:
    using Key = std::tuple<std::string, std::string, std::int32_t, std::int32_t, std::int32_t>;

    std::map<Key, std::int32_t> heard_;
    std::deque<Key> heardOrder_;
    std::map<std::string, std::int32_t> given_;
};

} // namespace monitor
