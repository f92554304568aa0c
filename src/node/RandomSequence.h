#pragma once

#include <cstdint>

namespace node {

// The pseudo-random sequence shared by the random sources for the whole run
// of the program: a 32-bit linear congruential generator whose numbers are
// bits 16 to 30 of the state. Every run yields the same numbers.
class RandomSequence {
public:
    static constexpr std::int32_t kMax = 32767;

    // The start-up sequence: state 1, with the first number drawn and
    // discarded.
    RandomSequence();
    // A sequence whose state is `seed`, nothing drawn yet.
    explicit RandomSequence(std::uint32_t seed) : state_(seed) {}

    // The next number, 0 to kMax.
    std::int32_t next();
    // A whole number from 0 to span - 1 (span 1 to 2^32). A span of up to
    // kMax + 1 takes one number modulo span, as the rain node draws; a wider
    // one joins three numbers into 45 bits, drawn again while they fall in
    // the last incomplete multiple of span, so every value is as likely.
    std::uint64_t below(std::uint64_t span);

private:
    std::uint32_t state_;
};

} // namespace node
