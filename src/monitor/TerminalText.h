#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace monitor {

// Text from the network made safe to show on a terminal: printable UTF-8 is
// kept; control characters (C0, DEL, C1), the bidirectional overrides that
// reorder what is shown, and bytes that are not UTF-8 become visible escapes
// (\n, \t, \x1b, \u009b, \xff), and a backslash is doubled so an escape in
// the text cannot pass for one of ours.
std::string Escaped(std::string_view bytes);

// Columns a character takes on a terminal: 2 for East Asian wide and
// fullwidth characters, 1 otherwise.
int DisplayWidth(char32_t character);

// Columns valid UTF-8 (as Escaped returns) takes.
std::size_t TextWidth(std::string_view text);

// The text, then spaces up to `columns`; a longer text is kept whole.
std::string Padded(std::string_view text, std::size_t columns);
// The same, appended to `out`.
void AppendPadded(std::string& out, std::string_view text, std::size_t columns);

// Valid UTF-8 (as Escaped returns) cut to at most `columns` columns, ending
// in "…" when cut, then padded with spaces to exactly `columns`.
std::string Fitted(std::string_view text, std::size_t columns);

// The inside of a JSON string holding `bytes`, safe on a terminal: quote,
// backslash and every character Escaped escapes become JSON escapes (\n,
// \u001b, \u009b, \u202e), and a byte that is not UTF-8 becomes U+FFFD so
// the line stays valid JSON whatever a peer sent.
std::string JsonEscaped(std::string_view bytes);
// The same, appended to `out`.
void AppendJsonEscaped(std::string& out, std::string_view bytes);

// A JSON line made safe for a terminal without changing what it means: the
// C1 controls, DEL and the bidirectional overrides, which JSON allows raw,
// become \u escapes.
std::string JsonForTerminal(std::string_view json);

} // namespace monitor
