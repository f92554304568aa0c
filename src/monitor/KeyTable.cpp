#include "monitor/KeyTable.h"

#include <algorithm>

namespace monitor {

namespace {

Clock::duration Median(std::vector<Clock::duration> gaps)
{
    const auto middle = gaps.begin() + static_cast<std::ptrdiff_t>(gaps.size() / 2);
    std::nth_element(gaps.begin(), middle, gaps.end());
    return *middle;
}

// The sender of this update among the row's, taking the place of the least
// recently heard one when the set is full.
Sender& SenderOf(Row& row, const Update& update)
{
    auto same = std::find_if(row.senders.begin(), row.senders.end(), [&](const Sender& sender) {
        return sender.source == update.source && sender.ipText == update.ipText;
    });
    if (same != row.senders.end())
        return *same;
    if (row.senders.size() == KeyTable::kSendersKept) {
        auto oldest =
            std::min_element(row.senders.begin(), row.senders.end(),
                             [](const Sender& a, const Sender& b) { return a.last < b.last; });
        row.senders.erase(oldest);
    }
    Sender& sender = row.senders.emplace_back();
    sender.source = update.source;
    sender.ipText = update.ipText;
    return sender;
}

// The sends a gap of `gap` leaves out of a sender's rhythm.
std::uint64_t MissedIn(Clock::duration gap, Clock::duration interval)
{
    const auto intervals = (gap + interval / 2) / interval;
    return intervals > 1 ? static_cast<std::uint64_t>(intervals - 1) : 0;
}

// The update in its sender's gaps; returns the sends it judges missed.
std::uint64_t Record(Sender& sender, const Update& update)
{
    std::uint64_t missed = 0;
    if (sender.last != Clock::time_point() && update.received > sender.last) {
        const Clock::duration gap = update.received - sender.last;
        if (sender.gaps.size() >= KeyTable::kGapsJudgedBy && *sender.interval > Clock::duration{})
            missed = MissedIn(gap, *sender.interval);
        if (sender.gaps.size() == KeyTable::kGapsKept)
            sender.gaps.erase(sender.gaps.begin());
        sender.gaps.push_back(gap);
        sender.interval = Median(sender.gaps);
    }
    sender.last = std::max(sender.last, update.received);
    sender.priority = update.priority;
    return missed;
}

} // namespace

std::optional<double> Row::rate() const
{
    if (updates < 2 || last <= first)
        return std::nullopt;
    return static_cast<double>(updates - 1) / std::chrono::duration<double>(last - first).count();
}

KeyTable::KeyTable(std::size_t maxKeys) : maxKeys_(std::max<std::size_t>(maxKeys, 1)) {}

std::map<CcmKey, Row>::iterator KeyTable::rowFor(const CcmKey& key)
{
    if (const auto found = rows_.find(key); found != rows_.end()) {
        recency_.erase({found->second.last, &found->first});
        return found;
    }
    if (rows_.size() == maxKeys_) {
        const auto oldest = recency_.begin();
        rows_.erase(*oldest->second);
        recency_.erase(oldest);
        ++evicted_;
    }
    const auto added = rows_.emplace(key, Row{}).first;
    added->second.key = key;
    return added;
}

const Row& KeyTable::update(const Update& update)
{
    const auto place = rowFor(update.key);
    Row& row = place->second;
    Sender& sender = SenderOf(row, update);
    row.missed += Record(sender, update);
    if (row.updates == 0 || update.received < row.first) {
        row.first = update.received;
        row.firstSeen = update.seen;
    }
    row.lastSeen = std::max(row.lastSeen, update.seen);
    row.literalDrop = update.literalDrop;
    row.value = update.value;
    row.priority = update.priority;
    row.ipText = update.ipText;
    row.source = update.source;
    row.last = std::max(row.last, update.received);
    row.interval = sender.interval;
    ++row.updates;
    recency_.emplace(row.last, &place->first);
    return row;
}

RowFlags KeyTable::flags(const Row& row, Clock::time_point now) const
{
    RowFlags flags;
    flags.stale = row.interval && now - row.last > 3 * *row.interval;
    flags.mismatch = row.ipText != row.source;
    flags.literalDrop = row.literalDrop.has_value();
    for (std::size_t a = 0; a < row.senders.size() && !flags.conflict; ++a)
        for (std::size_t b = a + 1; b < row.senders.size() && !flags.conflict; ++b)
            flags.conflict = row.senders[a].priority == row.senders[b].priority &&
                             current(row, row.senders[a], now) && current(row, row.senders[b], now);
    return flags;
}

bool KeyTable::current(const Row& row, const Sender& sender, Clock::time_point now)
{
    const std::optional<Clock::duration> interval =
        sender.interval ? sender.interval : row.interval;
    const Clock::duration window = interval ? 3 * *interval : kUnknownIntervalWindow;
    return now - sender.last <= window;
}

const Sender* KeyTable::winner(const Row& row, Clock::time_point now)
{
    const Sender* best = nullptr;
    for (const Sender& sender : row.senders) {
        if (!current(row, sender, now))
            continue;
        if (best == nullptr || sender.priority < best->priority ||
            (sender.priority == best->priority && sender.last > best->last))
            best = &sender;
    }
    return best;
}

} // namespace monitor
