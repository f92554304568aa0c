#include "station/KeyDepthCheck.h"

#include "station/ScenarioError.h"

namespace station {

namespace {

// What ends a run of dotted key parts: a key's value, the next item of an
// array or inline table, a bracket, or the line.
bool endsKey(char c)
{
    return c == '=' || c == ',' || c == '[' || c == ']' || c == '{' || c == '}' || c == '\n';
}

bool blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

} // namespace

void KeyDepthCheck::fail(std::uint32_t line, std::uint32_t column, const std::string& what) const
{
    throw ScenarioError(file_, line, column, what);
}

void KeyDepthCheck::advance(std::string_view text)
{
    if (text[at_] == '\n') {
        ++line_;
        column_ = 1;
    } else if ((static_cast<unsigned char>(text[at_]) & 0xC0) != 0x80) {
        ++column_; // columns count characters, as the library's do
    }
    ++at_;
}

// Skips a basic or literal string, one-line or multi-line, from its quote.
void KeyDepthCheck::skipString(std::string_view text)
{
    const char quote = text[at_];
    const std::string triple(3, quote);
    const bool multiLine = text.substr(at_, 3) == triple;
    for (int i = 0; i < (multiLine ? 3 : 1); ++i)
        advance(text);
    while (at_ < text.size()) {
        const char c = text[at_];
        if (c == '\\' && quote == '"' && at_ + 1 < text.size()) {
            advance(text);
            advance(text);
            continue;
        }
        if (c == '\n' && !multiLine)
            return; // unterminated: the library reports it
        if (c == quote && (!multiLine || text.substr(at_, 3) == triple)) {
            // A closing triple may carry up to two quotes of the content.
            std::size_t quotes = 0;
            while (at_ < text.size() && text[at_] == quote && quotes < (multiLine ? 5u : 1u)) {
                advance(text);
                ++quotes;
            }
            return;
        }
        advance(text);
    }
}

void KeyDepthCheck::skipComment(std::string_view text)
{
    while (at_ < text.size() && text[at_] != '\n')
        advance(text);
}

void KeyDepthCheck::check(std::string_view text)
{
    int parts = 1;
    std::uint32_t keyLine = 0;
    std::uint32_t keyColumn = 0;
    while (at_ < text.size()) {
        const char c = text[at_];
        if (keyLine == 0 && !blank(c) && !endsKey(c) && c != '#') {
            keyLine = line_;
            keyColumn = column_;
        }
        if (c == '"' || c == '\'') {
            skipString(text);
            continue;
        }
        if (c == '#') {
            skipComment(text);
            continue;
        }
        if (c == '.' && ++parts > kMaxKeyParts)
            fail(keyLine, keyColumn,
                 "a key of more than " + std::to_string(kMaxKeyParts) + " parts");
        if (endsKey(c)) {
            parts = 1;
            keyLine = 0;
        }
        advance(text);
    }
}

} // namespace station
