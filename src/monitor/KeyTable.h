#pragma once

#include <chrono>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace monitor {

// Ages, intervals and staleness are measured on the monotonic clock, so that a
// step of the wall clock neither ages every row nor keeps them all fresh; the
// wall clock is for display only.
using Clock = std::chrono::steady_clock;

// What a receiver tells one CCM from another by.
struct CcmKey {
    std::string type;
    std::int32_t room = 0;
    std::int32_t region = 0;
    std::int32_t order = 0;

    auto operator<=>(const CcmKey&) const = default;
};

// One data message as received.
struct Update {
    CcmKey key;
    std::int32_t priority = 0;
    std::string value;
    // The <IP> text as written.
    std::string ipText;
    // The datagram's source address.
    std::string source;
    Clock::time_point received;
    // The same moment on the wall clock, to label first and last seen.
    std::chrono::system_clock::time_point seen;
    // Why a literal receiver drops the datagram, when it was judged for one
    // and would.
    std::optional<std::string> literalDrop;
};

// One of the addresses sending a key: told apart by source and <IP> text.
struct Sender {
    std::string source;
    std::string ipText;
    std::int32_t priority = 0;
    Clock::time_point last;
    // The median of its last few gaps between updates, once it has sent twice.
    std::optional<Clock::duration> interval;
    std::vector<Clock::duration> gaps;
};

struct Row {
    CcmKey key;
    // As the last update had them.
    std::string value;
    std::int32_t priority = 0;
    std::string ipText;
    std::string source;
    Clock::time_point last;
    std::optional<Clock::duration> interval;
    // Datagrams heard, and the sends judged missing from their senders'
    // gaps (see KeyTable).
    std::uint64_t updates = 0;
    std::uint64_t missed = 0;
    Clock::time_point first;
    std::chrono::system_clock::time_point firstSeen;
    std::chrono::system_clock::time_point lastSeen;
    // As judged for the last update (Update::literalDrop).
    std::optional<std::string> literalDrop;
    // The most recent senders, at most kSendersKept.
    std::vector<Sender> senders;

    // Datagrams a second between the first and the last; unknown until two
    // arrived apart.
    std::optional<double> rate() const;
};

struct RowFlags {
    // No update for three times its interval: receivers have expired it.
    bool stale = false;
    // Two current senders with the same priority: receivers flip between them.
    bool conflict = false;
    // The <IP> text is not the source address.
    bool mismatch = false;
    // A literal receiver drops the last datagram.
    bool literalDrop = false;
};

// The CCMs heard, one row per key, in memory bounded by a cap on the rows:
// when a new key would pass it, the least recently updated row goes.
//
// Missed sends are judged per sender against its interval as known before
// the gap (the median of its last kGapsKept gaps, once there are
// kGapsJudgedBy): a gap of k intervals, rounded to the nearest, counts k-1
// missed. It is exact for a sender at a steady interval; one that also
// sends on a change has uneven gaps, and its count is an estimate.
class KeyTable {
public:
    static constexpr std::size_t kSendersKept = 4;
    static constexpr std::size_t kGapsKept = 5;
    // Two gaps at least: the median of two is the longer, so one burst
    // (two sends at once) does not set a tiny interval to judge by.
    static constexpr std::size_t kGapsJudgedBy = 2;
    // How long a sender whose interval is not known yet counts as current.
    static constexpr Clock::duration kUnknownIntervalWindow = std::chrono::minutes(3);

    explicit KeyTable(std::size_t maxKeys);

    const Row& update(const Update& update);
    RowFlags flags(const Row& row, Clock::time_point now) const;
    // Whether receivers still take the sender's value: heard within three
    // times its interval (or the row's, or kUnknownIntervalWindow).
    static bool current(const Row& row, const Sender& sender, Clock::time_point now);
    // The sender whose value receivers take: the lowest priority number among
    // the current senders, the most recently heard of equals; null when none
    // is current.
    static const Sender* winner(const Row& row, Clock::time_point now);

    // In key order.
    const std::map<CcmKey, Row>& rows() const { return rows_; }
    std::size_t size() const { return rows_.size(); }
    std::size_t maxKeys() const { return maxKeys_; }
    std::uint64_t evicted() const { return evicted_; }

private:
    std::map<CcmKey, Row>::iterator rowFor(const CcmKey& key);

    std::size_t maxKeys_;
    std::map<CcmKey, Row> rows_;
    // The rows by the time of their last update, least recent first.
    std::set<std::pair<Clock::time_point, const CcmKey*>> recency_;
    std::uint64_t evicted_ = 0;
};

} // namespace monitor
