#include "monitor/ScreenView.h"

#include "monitor/RowText.h"
#include "monitor/TerminalText.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <limits>
#include <utility>

namespace monitor {

namespace {

constexpr const char* kEnterScreen = "\x1b[?1049h\x1b[?25l";
constexpr const char* kLeaveScreen = "\x1b[?25h\x1b[?1049l";
constexpr const char* kEndOfLine = "\x1b[K\n";
constexpr std::size_t kStatusLines = 3;

std::string TrimmedFit(const std::string& line, std::size_t columns)
{
    std::string fitted = Fitted(line, columns);
    while (!fitted.empty() && fitted.back() == ' ')
        fitted.pop_back();
    return fitted;
}

// The flags before the counters, so that a terminal too narrow for the
// whole row still shows them; the lines of the line view keep them last.
constexpr std::array<Column, kColumns> kScreenOrder{Type,  Room,      Region, Order,  Priority,
                                                    Value, Ip,        Source, Age,    Interval,
                                                    Flags, Datagrams, Rate,   Missed, FirstSeen};

std::string CellsLine(const Cells& cells, std::size_t columns)
{
    std::string line;
    for (const Column column : kScreenOrder) {
        if (column != Type)
            line += ' ';
        line += Fitted(cells[column], kColumnWidths[column]);
    }
    return TrimmedFit(line, columns);
}

// Stale rows dimmed, a conflict in red, a mismatch in yellow, a literal
// receiver's drop in magenta.
const char* RowColour(const RowFlags& flags)
{
    if (flags.conflict)
        return "\x1b[31m";
    if (flags.mismatch)
        return "\x1b[33m";
    if (flags.literalDrop)
        return "\x1b[35m";
    if (flags.stale)
        return "\x1b[2m";
    return nullptr;
}

} // namespace

ScreenView::ScreenView(std::FILE* out, bool colour, std::string header)
    : out_(out), colour_(colour), header_(std::move(header))
{
    std::fputs(kEnterScreen, out_);
    std::fflush(out_);
    onAlternateScreen_ = true;
}

ScreenView::~ScreenView()
{
    leaveScreen();
}

void ScreenView::leaveScreen()
{
    if (!std::exchange(onAlternateScreen_, false))
        return;
    std::fputs(kLeaveScreen, out_);
    std::fflush(out_);
}

void ScreenView::datagram(const capture::CaptureRecord&, const Row*, const RowFlags&) {}

void ScreenView::refresh(const KeyTable& table, const Counts& counts, Clock::time_point now)
{
    winsize size{};
    if (::ioctl(fileno(out_), TIOCGWINSZ, &size) != 0 || size.ws_row == 0 || size.ws_col == 0)
        size = {24, 80, 0, 0};
    const std::string text =
        "\x1b[H" + frame(table, counts, now, size.ws_row, size.ws_col) + "\x1b[J";
    std::fwrite(text.data(), 1, text.size(), out_);
    std::fflush(out_);
}

void ScreenView::finish(const KeyTable& table, const Counts& counts, Clock::time_point now)
{
    leaveScreen();
    winsize size{};
    const std::size_t columns =
        ::ioctl(fileno(out_), TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
    const std::string text =
        frame(table, counts, now, std::numeric_limits<std::size_t>::max(), columns);
    std::fwrite(text.data(), 1, text.size(), out_);
    std::fflush(out_);
}

std::string ScreenView::frame(const KeyTable& table, const Counts& counts, Clock::time_point now,
                              std::size_t lines, std::size_t columns) const
{
    const auto status = [&](const std::string& line) {
        return TrimmedFit(line, columns) + kEndOfLine;
    };
    std::string text = status(header_);
    text += status("received " + std::to_string(counts.received) + "  not decoded " +
                   std::to_string(counts.notDecoded) + "  kernel drops " +
                   std::to_string(counts.kernelDrops) + "  keys " + std::to_string(table.size()) +
                   " of " + std::to_string(table.maxKeys()) + "  evicted " +
                   std::to_string(table.evicted()));
    text += CellsLine(kColumnTitles, columns) + kEndOfLine;
    if (lines <= kStatusLines)
        return text;
    std::size_t room = lines - kStatusLines;
    std::size_t left = table.size();
    for (const auto& [key, row] : table.rows()) {
        // The last line says how many rows did not fit.
        if (room == 1 && left > 1)
            break;
        text += rowLine(row, table.flags(row, now), now, columns) + kEndOfLine;
        --room;
        --left;
    }
    if (left > 0)
        text += status("… " + std::to_string(left) + " more");
    return text;
}

std::string ScreenView::rowLine(const Row& row, const RowFlags& flags, Clock::time_point now,
                                std::size_t columns) const
{
    const std::string line = CellsLine(RowCells(row, flags, now), columns);
    const char* colour = colour_ ? RowColour(flags) : nullptr;
    return colour == nullptr ? line : colour + line + "\x1b[0m";
}

} // namespace monitor
