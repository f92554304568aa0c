#include "capture/Ipv4Reassembly.h"

#include <algorithm>

namespace capture {

namespace {

// The largest IP payload: a 16-bit total length less the shortest header.
constexpr std::uint32_t kMaxPayload = 65535 - 20;

} // namespace

std::optional<std::vector<std::uint8_t>> Ipv4Reassembly::add(const Ipv4Packet& fragment,
                                                             std::chrono::microseconds time)
{
    expire(time);
    const std::uint32_t end = fragment.fragmentOffset + std::uint32_t(fragment.payload.size());
    const Key key{fragment.source, fragment.destination, fragment.id, fragment.protocol};
    auto found = pending_.find(key);
    if (found == pending_.end()) {
        if (pending_.size() == kMaxPending)
            giveUp(std::min_element(pending_.begin(), pending_.end(), [](auto& a, auto& b) {
                return a.second.first < b.second.first;
            }));
        found = pending_.emplace(key, Pending{time, {}, std::nullopt}).first;
    }
    Pending& pending = found->second;
    const bool contradicts = !fragment.moreFragments ? pending.length.has_value()
                                                     : pending.length && end > *pending.length;
    if (end > kMaxPayload || contradicts ||
        overlaps(pending, fragment.fragmentOffset, fragment.payload.size())) {
        giveUp(found, 1);
        return std::nullopt;
    }
    pending.pieces.emplace(
        fragment.fragmentOffset,
        std::vector<std::uint8_t>(fragment.payload.begin(), fragment.payload.end()));
    if (!fragment.moreFragments)
        pending.length = end;
    std::optional<std::vector<std::uint8_t>> done = whole(pending);
    if (done)
        pending_.erase(found);
    return done;
}

void Ipv4Reassembly::finish()
{
    while (!pending_.empty())
        giveUp(pending_.begin());
}

void Ipv4Reassembly::expire(std::chrono::microseconds now)
{
    for (auto at = pending_.begin(); at != pending_.end();) {
        const auto next = std::next(at);
        if (now - at->second.first > kMaxAge)
            giveUp(at);
        at = next;
    }
}

void Ipv4Reassembly::giveUp(std::map<Key, Pending>::iterator which, std::size_t more)
{
    lost_ += which->second.pieces.size() + more;
    pending_.erase(which);
}

bool Ipv4Reassembly::overlaps(const Pending& pending, std::uint32_t offset, std::size_t size)
{
    const auto after = pending.pieces.lower_bound(offset);
    if (after != pending.pieces.end() && after->first < offset + size)
        return true;
    if (after == pending.pieces.begin())
        return false;
    const auto before = std::prev(after);
    return before->first + before->second.size() > offset;
}

std::optional<std::vector<std::uint8_t>> Ipv4Reassembly::whole(const Pending& pending)
{
    if (!pending.length)
        return std::nullopt;
    std::uint32_t covered = 0;
    for (const auto& [offset, bytes] : pending.pieces) {
        if (offset != covered)
            return std::nullopt;
        covered += std::uint32_t(bytes.size());
    }
    if (covered != *pending.length)
        return std::nullopt;
    std::vector<std::uint8_t> payload;
    payload.reserve(covered);
    for (const auto& piece : pending.pieces)
        payload.insert(payload.end(), piece.second.begin(), piece.second.end());
    return payload;
}

} // namespace capture
