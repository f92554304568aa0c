#include "report/XmlText.h"

#include "ccm/Utf8.h"
#include "monitor/TerminalText.h"

#include <algorithm>
#include <cstdio>

namespace report {

namespace {

// Noncharacters: never text, and a parse error or a fatal error for the
// readers of our files, so they are shown by number like a control.
bool IsNoncharacter(char32_t c)
{
    return (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
}

void AppendMarkupSafe(std::string& out, char c)
{
    switch (c) {
    case '&':
        out += "&amp;";
        break;
    case '<':
        out += "&lt;";
        break;
    case '>':
        out += "&gt;";
        break;
    case '"':
        out += "&quot;";
        break;
    case '\'':
        out += "&#39;";
        break;
    default:
        out += c;
    }
}

// Text as Escaped returns it (well-formed UTF-8 with no control characters)
// with its markup characters and noncharacters replaced.
std::string MarkupEscaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t at = 0; at < text.size();) {
        // Escaped leaves no malformed byte; one would be copied as ASCII is.
        const std::size_t length = std::max<std::size_t>(ccm::Utf8CharLength(text, at), 1);
        if (length == 1) {
            AppendMarkupSafe(out, text[at]);
        } else {
            const char32_t c = ccm::Utf8CodePoint(text, at, length);
            if (IsNoncharacter(c)) {
                char escape[12];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                out += escape;
            } else {
                out.append(text.substr(at, length));
            }
        }
        at += length;
    }
    return out;
}

} // namespace

std::string XmlText(std::string_view bytes)
{
    return MarkupEscaped(monitor::Escaped(bytes));
}

std::string XmlTextFitted(std::string_view bytes, std::size_t columns)
{
    const std::string safe = monitor::Escaped(bytes);
    if (monitor::TextWidth(safe) <= columns)
        return MarkupEscaped(safe);
    std::string cut = monitor::Fitted(safe, columns);
    cut.erase(cut.find_last_not_of(' ') + 1);
    return MarkupEscaped(cut);
}

} // namespace report
