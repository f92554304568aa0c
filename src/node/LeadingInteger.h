#pragma once

#include <cstdint>
#include <string_view>

namespace node {

// The decimal integer at the start of `text`: leading white space (tab, LF,
// VT, FF, CR, space) skipped, one optional sign, then digits up to the first
// other byte, accumulated in 32-bit two's complement with wrap-around and no
// overflow check. No digits give 0.
std::int32_t ParseLeadingInteger(std::string_view text);

} // namespace node
