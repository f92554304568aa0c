#pragma once

#include "monitor/KeyTable.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace monitor {

// The columns of a row as the monitor shows them, every text from the wire
// escaped.
enum Column {
    Type,
    Room,
    Region,
    Order,
    Priority,
    Value,
    Ip,
    Source,
    Age,
    Interval,
    Datagrams,
    Rate,
    Missed,
    FirstSeen,
    Flags
};
inline constexpr std::size_t kColumns = 15;
using Cells = std::array<std::string, kColumns>;

extern const Cells kColumnTitles;
// Display widths in the table; a longer cell is cut there.
extern const std::array<std::size_t, kColumns> kColumnWidths;

Cells RowCells(const Row& row, const RowFlags& flags, Clock::time_point now);

// "250ms", "1.0s", "12.5s", "1m05s", "2h03m"; "-" for none.
std::string DurationText(std::optional<Clock::duration> duration);
// "0.5/s", "12/s"; below one a second per minute, "6.0/m"; "-" for none.
std::string RateText(std::optional<double> perSecond);
// "stale,conflict,mismatch,literal-drop", or "" for none.
std::string FlagsText(const RowFlags& flags);
// The flags' names in that order, for the text and the JSON forms.
std::vector<const char*> FlagNames(const RowFlags& flags);

} // namespace monitor
