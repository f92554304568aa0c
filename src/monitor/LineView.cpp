#include "monitor/LineView.h"

#include "capture/CaptureRecordFields.h"
#include "monitor/JsonObject.h"
#include "monitor/RowText.h"
#include "monitor/TerminalText.h"

#include <chrono>
#include <utility>

namespace monitor {

namespace {

// The other kinds are shown as their text, up to this many columns.
constexpr std::size_t kMessageColumns = 160;

// "23:10:04.123" of "2026-12-08T23:10:04.123456+09:00".
std::string ClockText(const capture::CaptureTime& time)
{
    return capture::FormatCaptureTime(time).substr(11, 12);
}

std::string SourceText(const capture::CaptureRecord& record)
{
    return Escaped(record.sourceIp) + ":" + std::to_string(record.sourcePort);
}

std::string TrimmedEnd(std::string line)
{
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

// The row's columns with the receive time in place of the age, which is
// nothing at the moment of an update.
std::string Joined(const Cells& cells, const std::string& first)
{
    std::string line;
    line.reserve(200);
    AppendPadded(line, first, 12);
    for (std::size_t column = 0; column < kColumns; ++column) {
        if (column == Age)
            continue;
        line += ' ';
        if (column + 1 == kColumns)
            line += cells[column];
        else
            AppendPadded(line, cells[column], kColumnWidths[column]);
    }
    return TrimmedEnd(std::move(line));
}

void AppendFlags(std::string& out, const RowFlags& flags)
{
    out += '[';
    const char* separator = "";
    for (const char* name : FlagNames(flags)) {
        out += separator;
        AppendJsonString(out, name);
        separator = ",";
    }
    out += ']';
}

// The row's counters after its interval: datagrams, rate (per second),
// missed sends, first and last seen.
void WriteCounters(JsonObject& object, const Row& row)
{
    object.integer("datagrams", static_cast<std::int64_t>(row.updates));
    if (const std::optional<double> rate = row.rate())
        object.decimal("rate", *rate);
    else
        object.null("rate");
    object.integer("missed", static_cast<std::int64_t>(row.missed));
    object.string("first_seen",
                  capture::FormatCaptureTime(capture::LocalCaptureTime(row.firstSeen)));
    object.string("last_seen", capture::FormatCaptureTime(capture::LocalCaptureTime(row.lastSeen)));
}

} // namespace

LineView::LineView(std::FILE* out, bool json) : out_(out), json_(json) {}

void LineView::datagram(const capture::CaptureRecord& record, const Row* row, const RowFlags& flags)
{
    if (!json_ && !headerWritten_) {
        headerWritten_ = true;
        const std::string header = Joined(kColumnTitles, "TIME") + '\n';
        std::fputs(header.c_str(), out_);
    }
    const std::string line = json_ ? jsonLine(record, row, flags) : textLine(record, row, flags);
    std::fwrite(line.data(), 1, line.size(), out_);
    std::fputc('\n', out_);
}

std::string LineView::textLine(const capture::CaptureRecord& record, const Row* row,
                               const RowFlags& flags) const
{
    const std::string time = ClockText(record.time);
    if (row != nullptr)
        return Joined(RowCells(*row, flags, row->last), time);
    const std::optional<ccm::Decoded>& message = record.decoded.message;
    if (!message)
        return Padded(time, 12) + " not decoded from " + SourceText(record) + " (" +
               std::to_string(record.bytes.size()) + " bytes): " + Escaped(record.decoded.error) +
               " at byte " + std::to_string(record.decoded.offset);
    const std::string text = Escaped(std::string_view(record.bytes).substr(0, kMessageColumns * 4));
    return TrimmedEnd(Padded(time, 12) + " " + capture::KindName(message->kind) + " from " +
                      SourceText(record) + ": " + Fitted(text, kMessageColumns));
}

std::string LineView::jsonLine(const capture::CaptureRecord& record, const Row* row,
                               const RowFlags& flags) const
{
    std::string line;
    {
        JsonObject object(line);
        capture::WriteRecord(object, record);
        if (row != nullptr && record.decoded.message) {
            if (row->interval)
                object.decimal("interval", std::chrono::duration<double>(*row->interval).count());
            else
                object.null("interval");
            WriteCounters(object, *row);
            AppendFlags(object.member("flags"), flags);
        }
    }
    return line;
}

void LineView::refresh(const KeyTable&, const Counts&, Clock::time_point)
{
    std::fflush(out_);
}

void LineView::finish(const KeyTable&, const Counts&, Clock::time_point)
{
    std::fflush(out_);
}

} // namespace monitor
