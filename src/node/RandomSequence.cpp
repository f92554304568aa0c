#include "node/RandomSequence.h"

namespace node {

RandomSequence::RandomSequence() : state_(1)
{
    next(); // the start-up draw that nobody sees
}

std::int32_t RandomSequence::next()
{
    state_ = state_ * 22695477u + 1u; // unsigned: wraps modulo 2^32
    return static_cast<std::int32_t>((state_ >> 16) & 0x7FFFu);
}

std::uint64_t RandomSequence::below(std::uint64_t span)
{
    constexpr std::uint64_t kOne = kMax + 1;
    if (span <= kOne)
        return static_cast<std::uint64_t>(next()) % span;
    constexpr std::uint64_t kJoined = kOne * kOne * kOne;
    const std::uint64_t limit = kJoined - kJoined % span;
    for (;;) {
        std::uint64_t joined = 0;
        for (int part = 0; part < 3; ++part)
            joined = joined * kOne + static_cast<std::uint64_t>(next());
        if (joined < limit)
            return joined % span;
    }
}

} // namespace node
