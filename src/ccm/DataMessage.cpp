#include "ccm/DataMessage.h"

#include "ccm/CcmMessage.h"
#include "ccm/Utf8.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace ccm {

namespace {

// The first `maxChars` characters of UTF-8 `text`. A byte that is not part of
// a well-formed character counts as one, as the encoder makes it one "?"; so
// each counted character takes at most two wire bytes.
std::string_view firstChars(std::string_view text, std::size_t maxChars)
{
    std::size_t at = 0;
    for (std::size_t chars = 0; at < text.size() && chars < maxChars; ++chars)
        at += std::max<std::size_t>(Utf8CharLength(text, at), 1);
    return text.substr(0, at);
}

void appendAttribute(std::string_view name, std::int32_t value, std::string& out)
{
    char digits[12];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out += ' ';
    out += name;
    out += "=\"";
    out.append(digits, result.ptr);
    out += '"';
}

// Adds one to the number the decimal digits spell; they start with a 0 to
// take the carry.
void addOneInTheLastPlace(std::string& digits)
{
    std::size_t at = digits.size();
    while (digits[at - 1] == '9')
        digits[--at] = '0';
    ++digits[at - 1];
}

} // namespace

void FormatDataMessage(const DataFields& fields, std::string& out)
{
    out.clear();
    out += R"(<?xml version="1.0"?><UECS ver="1.00-E10"><DATA type=")";
    out += firstChars(fields.type, kTypeMaxChars);
    out += '"';
    appendAttribute("room", fields.room, out);
    appendAttribute("region", fields.region, out);
    appendAttribute("order", fields.order, out);
    appendAttribute("priority", fields.priority, out);
    out += '>';
    out += fields.value;
    out += "</DATA><IP>";
    out += firstChars(fields.ip, kIpMaxChars);
    out += "</IP></UECS>";
}

void FormatValue(double value, int cast, std::string& out)
{
    cast = std::clamp(cast, 0, kMaxCast);
    // Rounded from the shortest decimal that reads back as `value`, the one
    // a person wrote: 0.145 is 0.14499999999999999 in binary, yet "0.15"
    // with two decimals, halves away from zero as people and sensors round.
    // Wide enough for any double in fixed form.
    char digits[330];
    const auto result =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed);
    std::string_view text(digits, result.ptr - digits);
    const bool negative = text.starts_with('-');
    if (negative)
        text.remove_prefix(1);
    const std::size_t point = std::min(text.find('.'), text.size());
    std::string_view fraction = point < text.size() ? text.substr(point + 1) : std::string_view();
    // The whole digits and the kept decimals as one number, rounded up
    // when the first dropped digit is 5 or more.
    std::string kept = "0";
    kept.append(text.substr(0, point));
    kept.append(fraction.substr(0, static_cast<std::size_t>(cast)));
    kept.append(static_cast<std::size_t>(cast) - std::min<std::size_t>(cast, fraction.size()), '0');
    if (fraction.size() > static_cast<std::size_t>(cast) && fraction[cast] >= '5')
        addOneInTheLastPlace(kept);
    // A negative value that rounds to zero is zero to a receiver.
    const bool zero = kept.find_first_not_of('0') == std::string::npos;
    const std::size_t whole = kept.size() - static_cast<std::size_t>(cast);
    const std::size_t first = kept[0] == '0' ? 1 : 0; // the carry's digit, unless used
    out.clear();
    if (negative && !zero)
        out += '-';
    out.append(kept, first, whole - first);
    if (cast > 0) {
        out += '.';
        out.append(kept, whole);
    }
}

} // namespace ccm
