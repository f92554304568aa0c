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
    // Halves away from zero, as people and sensors round ("64.5" is "65"
    // with no decimals); the text then rounds what is left of the binary
    // error of the division.
    const double scale = std::pow(10.0, cast);
    const double rounded = std::round(value * scale) / scale;
    // Wide enough for any double in fixed form with kMaxCast decimals.
    char digits[320];
    const auto result =
        std::to_chars(digits, digits + sizeof digits, rounded, std::chars_format::fixed, cast);
    std::string_view text(digits, result.ptr - digits);
    // A negative value that rounds to zero is zero to a receiver.
    if (text.starts_with('-') && text.find_first_not_of("-0.") == std::string_view::npos)
        text.remove_prefix(1);
    out.assign(text);
}

} // namespace ccm
