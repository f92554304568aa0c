#include "monitor/RowText.h"

#include "capture/CaptureRecord.h"
#include "monitor/TerminalText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
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
    // Rounded: a gap of 999.6 ms from kernel timestamps is a second. Numbers
    // by to_chars, tenths by hand: no locale can make "1.5s" read "1,5s".
    const long long ms = round<milliseconds>(*duration).count();
    char text[48];
    char* end = text;
    const auto number = [&end](long long value, int digits = 1) {
        char digitsText[24];
        const char* last = std::to_chars(digitsText, digitsText + sizeof digitsText, value).ptr;
        for (auto width = last - digitsText; width < digits; ++width)
            *end++ = '0';
        end = std::copy(static_cast<const char*>(digitsText), last, end);
    };
    const auto unit = [&end](const char* name) {
        while (*name != '\0')
            *end++ = *name++;
    };
    if (ms < 1000) {
        number(ms);
        unit("ms");
    } else if (ms < 60'000) {
        number((ms + 50) / 1000);
        unit(".");
        number((ms + 50) / 100 % 10);
        unit("s");
    } else if (ms < 3'600'000) {
        number(ms / 60'000);
        unit("m");
        number(ms / 1000 % 60, 2);
        unit("s");
    } else {
        number(ms / 3'600'000);
        unit("h");
        number(ms / 60'000 % 60, 2);
        unit("m");
    }
    return std::string(text, end);
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
