#pragma once

#include "monitor/KeyTable.h"

#include <array>
#include <cstddef>
#include <string>

namespace monitor {

// The columns of a row as the monitor shows them, every text from the wire
// escaped.
enum Column { Type, Room, Region, Order, Priority, Value, Ip, Source, Age, Interval, Flags };
inline constexpr std::size_t kColumns = 11;
using Cells = std::array<std::string, kColumns>;

extern const Cells kColumnTitles;
// Display widths in the table; a longer cell is cut there.
extern const std::array<std::size_t, kColumns> kColumnWidths;

Cells RowCells(const Row& row, const RowFlags& flags, Clock::time_point now);

// "250ms", "1.0s", "12.5s", "1m05s", "2h03m"; "-" for none.
std::string DurationText(std::optional<Clock::duration> duration);
// "stale,conflict,mismatch", or "" for none.
std::string FlagsText(const RowFlags& flags);

} // namespace monitor
