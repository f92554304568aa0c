#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <unordered_map>

namespace discovery {

// How many replies may go out now: a token bucket per requesting address,
// refilled at `perRequester` replies a second up to one second's worth, and
// one for all requesters together at `overall`. The table of requesters
// holds at most `maxRequesters`, so a flood of spoofed sources cannot grow
// memory. A new requester takes the place of one whose bucket has refilled
// (forgetting it then changes nothing); while every bucket is still
// refilling, a new requester gets nothing, so no requester's spent bucket
// can be pushed out and come back full.
class ReplyBudget {
public:
    using Clock = std::chrono::steady_clock;

    ReplyBudget(double perRequester, double overall, std::size_t maxRequesters);

    // How many replies `requester` may have now, and taking them (after
    // available() gave at least as many).
    std::size_t available(const std::string& requester, Clock::time_point now);
    void take(const std::string& requester, std::size_t replies);

    std::size_t requesters() const { return buckets_.size(); }

private:
    struct Bucket {
        double tokens = 0;
        Clock::time_point updated;
    };

    static void refill(Bucket& bucket, double rate, Clock::time_point now);
    // Nothing when the table is full of buckets that are still refilling.
    Bucket* bucketOf(const std::string& requester, Clock::time_point now);

    double perRequester_;
    double overallRate_;
    std::size_t maxRequesters_;
    Bucket overall_;
    std::unordered_map<std::string, Bucket> buckets_;
};

} // namespace discovery
