#include "discovery/ReplyBudget.h"

#include <algorithm>

namespace discovery {

ReplyBudget::ReplyBudget(double perRequester, double overall, std::size_t maxRequesters)
    : perRequester_(perRequester), overallRate_(overall),
      maxRequesters_(maxRequesters), overall_{overall, Clock::time_point::min()}
{
}

void ReplyBudget::refill(Bucket& bucket, double rate, Clock::time_point now)
{
    if (bucket.updated == Clock::time_point::min()) {
        bucket.updated = now;
        return;
    }
    // A clock that went back adds nothing.
    const double seconds =
        std::max(0.0, std::chrono::duration<double>(now - bucket.updated).count());
    bucket.tokens = std::min(rate, bucket.tokens + seconds * rate);
    bucket.updated = std::max(bucket.updated, now);
}

ReplyBudget::Bucket* ReplyBudget::bucketOf(const std::string& requester, Clock::time_point now)
{
    if (const auto found = buckets_.find(requester); found != buckets_.end())
        return &found->second;
    if (buckets_.size() >= maxRequesters_) {
        const auto refilled =
            std::find_if(buckets_.begin(), buckets_.end(), [&](const auto& entry) {
                Bucket bucket = entry.second;
                refill(bucket, perRequester_, now);
                return bucket.tokens >= perRequester_;
            });
        if (refilled == buckets_.end())
            return nullptr;
        buckets_.erase(refilled);
    }
    return &buckets_.emplace(requester, Bucket{perRequester_, now}).first->second;
}

std::size_t ReplyBudget::available(const std::string& requester, Clock::time_point now)
{
    refill(overall_, overallRate_, now);
    Bucket* bucket = bucketOf(requester, now);
    if (bucket == nullptr)
        return 0;
    refill(*bucket, perRequester_, now);
    return static_cast<std::size_t>(std::min(bucket->tokens, overall_.tokens));
}

void ReplyBudget::take(const std::string& requester, std::size_t replies)
{
    // available() has just made the requester's bucket.
    buckets_.at(requester).tokens -= static_cast<double>(replies);
    overall_.tokens -= static_cast<double>(replies);
}

} // namespace discovery
