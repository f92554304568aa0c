#include "monitor/RowText.h"

#include "capture/CaptureRecord.h"
#include "monitor/TerminalText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace monitor {

const Cells kColumnTitles{"TYPE",  "ROOM", "REGION", "ORDER", "PRI",
                          "VALUE", "IP",   "SOURCE", "AGE",   "INTERVAL",
                          "COUNT", "RATE", "MISSED", "FIRST", "FLAGS"};
// TYPE holds the 19 characters of the longest type, IP and SOURCE a dotted
// address, FIRST the time of day, FLAGS any three.
const std::array<std::size_t, kColumns> kColumnWidths{20, 4, 6, 5, 3, 12, 15, 15,
                                                      7,  8, 7, 7, 6, 8,  27};

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

std::string RateText(std::optional<double> perSecond)
{
    if (!perSecond)
        return "-";
    // Tenths by hand, as above; a slow CCM (one a minute) reads per minute.
    const bool perMinute = *perSecond < 1;
    const double rate = perMinute ? *perSecond * 60 : *perSecond;
    const long long tenths = std::llround(std::min(rate, 1e12) * 10);
    const char* unit = perMinute ? "/m" : "/s";
    if (tenths >= 1000)
        return std::to_string((tenths + 5) / 10) + unit;
    return std::to_string(tenths / 10) + '.' + std::to_string(tenths % 10) + unit;
}

std::vector<const char*> FlagNames(const RowFlags& flags)
{
    std::vector<const char*> names;
    for (const auto& [set, name] :
         {std::pair{flags.stale, "stale"}, std::pair{flags.conflict, "conflict"},
          std::pair{flags.mismatch, "mismatch"}, std::pair{flags.literalDrop, "literal-drop"}})
        if (set)
            names.push_back(name);
    return names;
}

std::string FlagsText(const RowFlags& flags)
{
    std::string text;
    for (const char* name : FlagNames(flags)) {
        if (!text.empty())
            text += ',';
        text += name;
    }
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
    cells[Datagrams] = std::to_string(row.updates);
    cells[Rate] = RateText(row.rate());
    cells[Missed] = std::to_string(row.missed);
    // "23:10:04" of "2026-12-08T23:10:04.123456+09:00".
    cells[FirstSeen] =
        capture::FormatCaptureTime(capture::LocalCaptureTime(row.firstSeen)).substr(11, 8);
    cells[Flags] = FlagsText(flags);
    return cells;
}

} // namespace monitor
