#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace report {

// Any text (a datagram, a scenario's name, a file name) made safe inside an
// XML or HTML element or a quoted attribute: first neutralised as on a
// terminal (controls, bidirectional overrides and bytes that are not UTF-8
// become visible escapes), then the markup characters become entities, and
// the noncharacters XML and HTML refuse (U+FFFE, U+FDD0...) become \u escapes.
std::string XmlText(std::string_view bytes);

// XmlText cut to at most `columns` columns (a wide character counts two),
// ending in "…" when cut: for labels a chart has room for.
std::string XmlTextFitted(std::string_view bytes, std::size_t columns);

} // namespace report
