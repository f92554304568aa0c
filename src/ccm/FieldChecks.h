#pragma once

#include <cstdint>
#include <string_view>

namespace ccm {

// The checks on field texts the decoder reports against.

enum class IntegerText {
    Literal,   // as a formatter writes it
    Unusual,   // leading zeros or "-0": the same number, another text
    NotANumber // empty, stray characters, or outside 32 bits
};
// Optional '-' and decimal digits, within std::int32_t.
IntegerText ParseInteger(std::string_view text, std::int32_t& value);

// Twelve upper-case hexadecimal digits, as UECSID and MAC are written.
bool IsHexId(std::string_view text);

// Number of UTF-8 characters in `text` (a stray byte counts as one).
std::size_t Utf8Chars(std::string_view text);

} // namespace ccm
