#include "ccm/CcmMessage.h"

#include "ccm/Utf8.h"

#include <algorithm>
#include <charconv>

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

void appendInt(std::int32_t value, std::string& out)
{
    char digits[12];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

void appendAttribute(std::string_view name, std::int32_t value, std::string& out)
{
    out += ' ';
    out += name;
    out += "=\"";
    appendInt(value, out);
    out += '"';
}

} // namespace

void FormatCcmMessage(const CcmFields& fields, std::string& out)
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
    appendInt(fields.data, out);
    out += "</DATA><IP>";
    out += firstChars(fields.ip, kIpMaxChars);
    out += "</IP></UECS>";
}

std::string FormatCcmMessage(const CcmFields& fields)
{
    std::string out;
    FormatCcmMessage(fields, out);
    return out;
}

} // namespace ccm
