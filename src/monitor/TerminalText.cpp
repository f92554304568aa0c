#include "monitor/TerminalText.h"

#include "ccm/Utf8.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace monitor {

namespace {

struct Decoded {
    char32_t character;
    std::size_t length;
};

// One UTF-8 sequence at the start of `bytes`; nothing for a byte that does
// not begin a well-formed one (overlong forms, surrogates and values past
// U+10FFFF included).
std::optional<Decoded> DecodeOne(std::string_view bytes)
{
    const std::size_t length = ccm::Utf8CharLength(bytes, 0);
    if (length == 0)
        return std::nullopt;
    return Decoded{ccm::Utf8CodePoint(bytes, 0, length), length};
}

// Printable ASCII: copied as it is, but for the backslash (and in JSON the
// quote). A table: this is every byte of every datagram a receiver shows.
constexpr std::array<bool, 256> kPrintableAscii = [] {
    std::array<bool, 256> table{};
    for (int c = 0x20; c < 0x7F; ++c)
        table[c] = c != '\\';
    return table;
}();

bool IsPlainText(char c)
{
    return kPrintableAscii[static_cast<unsigned char>(c)];
}

bool IsPlainJson(char c)
{
    return IsPlainText(c) && c != '"';
}

// Copies the run of bytes at the start of `bytes` that `plain` passes as
// they are, and moves past it: nearly all of a datagram's text.
template <typename Plain>
void CopyPlainRun(std::string& out, std::string_view& bytes, Plain plain)
{
    std::size_t run = 0;
    while (run < bytes.size() && plain(bytes[run]))
        ++run;
    out.append(bytes.data(), run);
    bytes.remove_prefix(run);
}

bool MustEscape(char32_t c)
{
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

void AppendEscape(std::string& out, char32_t c, bool raw)
{
    switch (c) {
    case '\n':
        out += "\\n";
        return;
    case '\r':
        out += "\\r";
        return;
    case '\t':
        out += "\\t";
        return;
    default:
        break;
    }
    char text[12];
    if (raw || c < 0x80)
        std::snprintf(text, sizeof text, "\\x%02x", static_cast<unsigned>(c));
    else
        std::snprintf(text, sizeof text, "\\u%04x", static_cast<unsigned>(c));
    out += text;
}

// "\u001b": the JSON form, which has no \x.
void AppendJsonEscape(std::string& out, char32_t c)
{
    char text[12];
    std::snprintf(text, sizeof text, "\\u%04x", static_cast<unsigned>(c));
    out += text;
}

} // namespace

std::string Escaped(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        CopyPlainRun(out, bytes, IsPlainText);
        if (bytes.empty())
            break;
        const std::optional<Decoded> one = DecodeOne(bytes);
        if (!one) {
            AppendEscape(out, static_cast<std::uint8_t>(bytes.front()), true);
            bytes.remove_prefix(1);
            continue;
        }
        if (one->character == '\\')
            out += "\\\\";
        else if (MustEscape(one->character))
            AppendEscape(out, one->character, false);
        else
            out.append(bytes.substr(0, one->length));
        bytes.remove_prefix(one->length);
    }
    return out;
}

int DisplayWidth(char32_t c)
{
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
                      (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
                      (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
                      (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

std::size_t TextWidth(std::string_view text)
{
    std::size_t width = 0;
    while (!text.empty()) {
        if (static_cast<unsigned char>(text.front()) < 0x80) {
            ++width;
            text.remove_prefix(1);
            continue;
        }
        const std::optional<Decoded> one = DecodeOne(text);
        width += one ? DisplayWidth(one->character) : 1;
        text.remove_prefix(one ? one->length : 1);
    }
    return width;
}

void AppendPadded(std::string& out, std::string_view text, std::size_t columns)
{
    out.append(text);
    const std::size_t width = TextWidth(text);
    if (width < columns)
        out.append(columns - width, ' ');
}

std::string Padded(std::string_view text, std::size_t columns)
{
    std::string out;
    out.reserve(std::max(text.size(), columns));
    AppendPadded(out, text, columns);
    return out;
}

std::string Fitted(std::string_view text, std::size_t columns)
{
    std::string out;
    std::size_t used = 0;
    // Where the text stood, and its width, when one column was still free
    // for the "…" that marks a cut.
    std::size_t cutBytes = 0;
    std::size_t cutUsed = 0;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::optional<Decoded> one = DecodeOne(rest);
        const std::size_t length = one ? one->length : 1;
        const std::size_t width = one ? DisplayWidth(one->character) : 1;
        if (used + width > columns) {
            out.resize(cutBytes);
            used = cutUsed;
            if (columns > 0) {
                out += "…";
                ++used;
            }
            break;
        }
        out.append(rest.substr(0, length));
        used += width;
        rest.remove_prefix(length);
        if (used + 1 <= columns) {
            cutBytes = out.size();
            cutUsed = used;
        }
    }
    out.append(columns - used, ' ');
    return out;
}

void AppendJsonEscaped(std::string& out, std::string_view bytes)
{
    while (!bytes.empty()) {
        CopyPlainRun(out, bytes, IsPlainJson);
        if (bytes.empty())
            break;
        const std::optional<Decoded> one = DecodeOne(bytes);
        const std::size_t length = one ? one->length : 1;
        if (!one) {
            out += "\xef\xbf\xbd";
        } else if (one->character == '"' || one->character == '\\') {
            out += '\\';
            out += static_cast<char>(one->character);
        } else if (MustEscape(one->character)) {
            AppendJsonEscape(out, one->character);
        } else {
            out.append(bytes.data(), length);
        }
        bytes.remove_prefix(length);
    }
}

std::string JsonEscaped(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    AppendJsonEscaped(out, bytes);
    return out;
}

std::string JsonForTerminal(std::string_view json)
{
    std::string out;
    out.reserve(json.size());
    while (!json.empty()) {
        const std::optional<Decoded> one = DecodeOne(json);
        const std::size_t length = one ? one->length : 1;
        if (one && one->character >= 0x7F && MustEscape(one->character))
            AppendJsonEscape(out, one->character);
        else
            out.append(json.substr(0, length));
        json.remove_prefix(length);
    }
    return out;
}

} // namespace monitor
