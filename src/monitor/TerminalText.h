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

// Valid UTF-8 (as Escaped returns) cut to at most `columns` columns, ending
// in "…" when cut, then padded with spaces to exactly `columns`.
std::string Fitted(std::string_view text, std::size_t columns);

} // namespace monitor
