#pragma once

#include <QStringView>

#include <cstdint>
#include <optional>

namespace widgets {

// The runtime's text-to-integer conversion: leading blanks (code 32 only),
// one optional sign, then a decimal number in the 32-bit signed range or a
// hexadecimal one after "$", "x", "X", "0x" or "0X". A hexadecimal number is
// a 32-bit two's-complement pattern and ignores the sign. Nothing may follow
// the number. Returns nothing when the text is not such a number.
std::optional<std::int32_t> TextToInt(QStringView text);

} // namespace widgets
