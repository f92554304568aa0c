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

} // namespace node
