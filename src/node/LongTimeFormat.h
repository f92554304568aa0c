#pragma once

#include <string>
#include <string_view>

namespace node {

// A time of day, as the log shows it (milliseconds are not shown).
struct TimeOfDay {
    int hour = 0; // 0 to 23
    int minute = 0;
    int second = 0;
};

// The user's long time format, reduced to what the log line uses: hour with or
// without a leading zero, separator, two-digit minutes and seconds, and on a
// 12-hour clock the morning/afternoon marker after the time (after a space) or
// before it. The defaults are the ones used when the locale gives nothing.
struct LongTimeFormat {
    bool leadingZero = false;
    bool twentyFourHour = false;
    bool markerFirst = false;
    std::string separator = ":";
    std::string amText = "am";
    std::string pmText = "pm";

    // Derives the format from a POSIX time format (the locale's T_FMT, e.g.
    // "%I:%M:%S %p"), the locale's AM/PM texts and its 12-hour format (what
    // "%r" stands for). A format without an hour gives the defaults; empty
    // AM/PM texts keep "am"/"pm".
    static LongTimeFormat FromPosix(std::string_view timeFormat, std::string_view am,
                                    std::string_view pm, std::string_view ampmFormat = {});
    // Reads the user's locale (LC_ALL, LC_TIME, LANG); the defaults when the
    // locale cannot be loaded.
    static LongTimeFormat FromUserLocale();

    // Appends the time text of `time` to `out`.
    void appendText(const TimeOfDay& time, std::string& out) const;
};

} // namespace node
