#include "node/LongTimeFormat.h"

#include <langinfo.h>
#include <locale.h>

namespace node {

namespace {

// What a POSIX format says about one field: where it stands and how.
struct Directive {
    std::size_t position = std::string_view::npos;
    std::size_t length = 0;
    char conversion = 0;
    bool noPadding = false;
};

// Finds the first of `conversions` ("%H", "%-I"...), skipping "%%". Composite
// conversions (%T, %r) are expanded before.
Directive findDirective(std::string_view format, std::string_view conversions)
{
    for (std::size_t i = 0; i + 1 < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        std::size_t j = i + 1;
        bool noPadding = false;
        while (j < format.size() && (format[j] == '-' || format[j] == '_' || format[j] == '0' ||
                                     format[j] == 'E' || format[j] == 'O')) {
            noPadding = noPadding || format[j] == '-' || format[j] == '_';
            ++j;
        }
        if (j < format.size() && conversions.find(format[j]) != std::string_view::npos)
            return {i, j + 1 - i, format[j], noPadding};
        i = j; // skips "%%" and any other conversion
    }
    return {};
}

// Expands %T and %r, the composite conversions that locales use in T_FMT.
std::string expandComposites(std::string_view format, std::string_view ampmFormat)
{
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const bool directive = format[i] == '%' && i + 1 < format.size();
        const char c = directive ? format[i + 1] : '\0';
        if (c == 'T')
            out += std::string_view("%H:%M:%S");
        else if (c == 'r')
            out += ampmFormat.empty() ? std::string_view("%I:%M:%S %p") : ampmFormat;
        else if (directive)
            out += format.substr(i, 2); // also keeps "%%" a pair
        else
            out += format[i];
        if (directive)
            ++i;
    }
    return out;
}

std::string_view between(std::string_view format, const Directive& a, const Directive& b)
{
    const std::size_t from = a.position + a.length;
    return b.position > from ? format.substr(from, b.position - from) : std::string_view();
}

void appendTwoDigits(int value, std::string& out)
{
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

} // namespace

LongTimeFormat LongTimeFormat::FromPosix(std::string_view timeFormat, std::string_view am,
                                         std::string_view pm, std::string_view ampmFormat)
{
    LongTimeFormat result;
    if (!am.empty())
        result.amText = am;
    if (!pm.empty())
        result.pmText = pm;
    const std::string format = expandComposites(timeFormat, ampmFormat);
    const Directive hour = findDirective(format, "HIkl");
    if (hour.position == std::string_view::npos)
        return result; // nothing usable: the defaults
    result.twentyFourHour = hour.conversion == 'H' || hour.conversion == 'k';
    result.leadingZero = (hour.conversion == 'H' || hour.conversion == 'I') && !hour.noPadding;
    const Directive marker = findDirective(format, "pP");
    result.markerFirst = marker.position < hour.position;
    // The separator counts only when it stands both between hour and minute
    // and between minute and second; formats such as "%H時%M分%S秒" keep ":".
    const Directive minute = findDirective(format, "M");
    const Directive second = findDirective(format, "S");
    if (minute.position != std::string_view::npos && second.position != std::string_view::npos) {
        const std::string_view first = between(format, hour, minute);
        if (!first.empty() && first == between(format, minute, second))
            result.separator = first;
    }
    return result;
}

LongTimeFormat LongTimeFormat::FromUserLocale()
{
    const locale_t locale = ::newlocale(LC_TIME_MASK, "", nullptr);
    if (locale == nullptr)
        return {};
    const LongTimeFormat result =
        FromPosix(::nl_langinfo_l(T_FMT, locale), ::nl_langinfo_l(AM_STR, locale),
                  ::nl_langinfo_l(PM_STR, locale), ::nl_langinfo_l(T_FMT_AMPM, locale));
    ::freelocale(locale);
    return result;
}

void LongTimeFormat::appendText(const TimeOfDay& time, std::string& out) const
{
    int hour = time.hour;
    const std::string& marker = hour < 12 ? amText : pmText;
    if (!twentyFourHour) {
        hour %= 12;
        if (hour == 0)
            hour = 12;
    }
    if (!twentyFourHour && markerFirst) {
        out += marker;
        out += ' ';
    }
    if (leadingZero || hour >= 10)
        appendTwoDigits(hour, out);
    else
        out += static_cast<char>('0' + hour);
    out += separator;
    appendTwoDigits(time.minute, out);
    out += separator;
    appendTwoDigits(time.second, out);
    if (!twentyFourHour && !markerFirst) {
        out += ' ';
        out += marker;
    }
}

} // namespace node
