#include "ccm/FieldChecks.h"

#include "ccm/Decoder.h"
#include "ccm/Utf8.h"

#include <algorithm>
#include <charconv>

namespace ccm {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::size_t digitsAt(std::string_view text, std::size_t at)
{
    std::size_t end = at;
    while (end < text.size() && isDigit(text[end]))
        ++end;
    return end - at;
}

} // namespace

IntegerText ParseInteger(std::string_view text, std::int32_t& value)
{
    const std::size_t sign = text.starts_with('-') ? 1 : 0;
    const std::size_t digits = digitsAt(text, sign);
    if (digits == 0 || sign + digits != text.size())
        return IntegerText::NotANumber;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc())
        return IntegerText::NotANumber;
    const bool leadingZero = digits > 1 && text[sign] == '0';
    const bool negativeZero = sign == 1 && value == 0;
    return leadingZero || negativeZero ? IntegerText::Unusual : IntegerText::Literal;
}

int ValueDecimals(std::string_view value)
{
    const std::size_t sign = value.starts_with('-') ? 1 : 0;
    const std::size_t whole = digitsAt(value, sign);
    if (whole == 0)
        return -1;
    std::size_t at = sign + whole;
    if (at == value.size())
        return 0;
    if (value[at] != '.')
        return -1;
    const std::size_t decimals = digitsAt(value, at + 1);
    if (decimals == 0 || at + 1 + decimals != value.size())
        return -1;
    // A value's text is bounded by kMaxTextBytes, so this always fits.
    return static_cast<int>(decimals);
}

bool IsHexId(std::string_view text)
{
    return text.size() == 12 && std::all_of(text.begin(), text.end(), [](char c) {
               return isDigit(c) || (c >= 'A' && c <= 'F');
           });
}

std::size_t Utf8Chars(std::string_view text)
{
    std::size_t chars = 0;
    for (std::size_t at = 0; at < text.size(); ++chars)
        at += std::max<std::size_t>(Utf8CharLength(text, at), 1);
    return chars;
}

} // namespace ccm
