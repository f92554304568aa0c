#include "monitor/RowText.h"

#include "monitor/TerminalText.h"

#include <cstdio>

namespace monitor {

const Cells kColumnTitles{"TYPE", "ROOM",   "REGION", "ORDER",    "PRI",  "VALUE",
                          "IP",   "SOURCE", "AGE",    "INTERVAL", "FLAGS"};
// TYPE holds the 19 characters of the longest type, IP and SOURCE a dotted
// address.
const std::array<std::size_t, kColumns> kColumnWidths{20, 4, 6, 5, 3, 12, 15, 15, 7, 8, 23};

std::string DurationText(std::optional<Clock::duration> duration)
{
    using namespace std::chrono;
    if (!duration)
        return "-";
    // Rounded: a gap of 999.6 ms from kernel timestamps is a second.
    const auto ms = round<milliseconds>(*duration).count();
    char text[32];
    if (ms < 1000)
        std::snprintf(text, sizeof text, "%lldms", static_cast<long long>(ms));
    else if (ms < 60'000) // tenths by hand: "%.1f" would write "1,5s" in a German locale
        std::snprintf(text, sizeof text, "%lld.%llds", static_cast<long long>((ms + 50) / 1000),
                      static_cast<long long>((ms + 50) / 100 % 10));
    else if (ms < 3'600'000)
        std::snprintf(text, sizeof text, "%lldm%02llds", static_cast<long long>(ms / 60'000),
                      static_cast<long long>(ms / 1000 % 60));
    else
        std::snprintf(text, sizeof text, "%lldh%02lldm", static_cast<long long>(ms / 3'600'000),
                      static_cast<long long>(ms / 60'000 % 60));
    return text;
}

std::string FlagsText(const RowFlags& flags)
{
    std::string text;
    const auto add = [&](bool set, const char* name) {
        if (!set)
            return;
        if (!text.empty())
            text += ',';
        text += name;
    };
    add(flags.stale, "stale");
    add(flags.conflict, "conflict");
    add(flags.mismatch, "mismatch");
    return text;
}

Cells RowCells(const Row& row, const RowFlags& flags, Clock::time_point now)
{
    Cells cells;
    cells[Type] = Escaped(row.key.type);
    cells[Room] = std::to_string(row.key.room);
    cells[Region] = std::to_string(row.key.region);
    cells[Order] = std::to_string(row.key.order);
    cells[Priority] = std::to_string(row.priority);
    cells[Value] = Escaped(row.value);
    cells[Ip] = Escaped(row.ipText);
    cells[Source] = Escaped(row.source);
    cells[Age] = DurationText(now > row.last ? now - row.last : Clock::duration::zero());
    cells[Interval] = DurationText(row.interval);
    cells[Flags] = FlagsText(flags);
    return cells;
}

} // namespace monitor
