#include "monitor/ReplaySummary.h"

#include "monitor/JsonObject.h"

#include <charconv>

namespace monitor {

namespace {

// Fixed decimals in any locale.
std::string Fixed(double number, int decimals)
{
    char text[64];
    const auto end =
        std::to_chars(text, text + sizeof text, number, std::chars_format::fixed, decimals).ptr;
    return std::string(text, end);
}

double Seconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

} // namespace

std::optional<double> ReplaySummary::rate() const
{
    if (duration <= std::chrono::steady_clock::duration::zero())
        return std::nullopt;
    return static_cast<double>(sent) / Seconds(duration);
}

std::string ReplaySummaryText(const ReplaySummary& summary, bool dryRun)
{
    const std::optional<double> perSecond = summary.rate();
    return std::to_string(summary.sent) + (summary.sent == 1 ? " datagram " : " datagrams ") +
           (dryRun ? "written" : "sent") + " (" + std::to_string(summary.bytes) + " bytes), " +
           std::to_string(summary.failed) + " failed, " + std::to_string(summary.rounds) +
           (summary.rounds == 1 ? " round" : " rounds") + ", in " +
           Fixed(Seconds(summary.duration), 3) +
           " s: " + (perSecond ? Fixed(*perSecond, 1) : std::string("-")) + " a second";
}

std::string ReplaySummaryJson(const ReplaySummary& summary, bool dryRun)
{
    std::string line;
    {
        JsonObject object(line);
        object.integer("sent", static_cast<std::int64_t>(summary.sent));
        object.integer("bytes", static_cast<std::int64_t>(summary.bytes));
        object.integer("failed", static_cast<std::int64_t>(summary.failed));
        object.integer("rounds", static_cast<std::int64_t>(summary.rounds));
        object.decimal("duration", Seconds(summary.duration));
        if (const std::optional<double> perSecond = summary.rate())
            object.decimal("rate", *perSecond);
        else
            object.null("rate");
        object.member("dry_run") += dryRun ? "true" : "false";
    }
    return line;
}

} // namespace monitor
