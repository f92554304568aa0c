#include "capture/CaptureReader.h"

#include <algorithm>
#include <cstring>

namespace capture {

namespace {

// Large enough that reading costs little next to parsing; a stop signal is
// heard at least once per block.
constexpr std::size_t kBlockBytes = 64 * 1024;

std::string Located(const std::string& name, std::size_t line, const std::string& what)
{
    return name + ':' + std::to_string(line) + ": " + what;
}

} // namespace

CaptureReader::CaptureReader(const std::string& path) : name_(path), buffer_(kBlockBytes)
{
    try {
        input_.emplace(path);
    } catch (const loop::InputStopped&) {
        throw;
    } catch (const runtime::Exception& e) {
        throw CaptureError(e.Message());
    }
}

bool CaptureReader::fill()
{
    begin_ = 0;
    try {
        end_ = input_->read(buffer_.data(), buffer_.size());
    } catch (const loop::InputStopped&) {
        throw;
    } catch (const runtime::Exception& e) {
        throw CaptureError(e.Message());
    }
    return end_ > 0;
}

std::optional<CaptureReader::Line> CaptureReader::nextLine()
{
    Line line;
    bool any = false;
    for (;;) {
        if (begin_ == end_ && !fill()) {
            if (!any)
                return std::nullopt;
            line.unterminated = true;
            break;
        }
        any = true;
        const char* start = buffer_.data() + begin_;
        const auto* stop = static_cast<const char*>(std::memchr(start, '\n', end_ - begin_));
        const std::size_t length =
            stop != nullptr ? static_cast<std::size_t>(stop - start) : end_ - begin_;
        const std::size_t room = kMaxLineBytes - std::min(kMaxLineBytes, line.text.size());
        line.text.append(start, std::min(length, room));
        line.tooLong = line.tooLong || length > room;
        begin_ += length + (stop != nullptr ? 1 : 0);
        if (stop != nullptr)
            break;
    }
    if (!line.tooLong && !line.text.empty() && line.text.back() == '\r')
        line.text.pop_back();
    line.number = ++lineNumber_;
    return line;
}

std::optional<CaptureReader::Entry> CaptureReader::nextEntry()
{
    for (std::optional<Line> line; (line = nextLine());) {
        if (line->text.find_first_not_of(" \t") == std::string::npos && !line->tooLong)
            continue;
        Entry entry{line->number, std::nullopt, {}, false};
        if (line->tooLong) {
            entry.error = "line longer than " + std::to_string(kMaxLineBytes) + " bytes";
        } else {
            ParsedCaptureLine parsed = ParseCaptureLine(line->text);
            entry.record = std::move(parsed.record);
            entry.error = std::move(parsed.error);
        }
        entry.torn = !entry.record && line->unterminated;
        return entry;
    }
    return std::nullopt;
}

CaptureCheck CheckCapture(const std::string& path, std::size_t limit)
{
    CaptureReader reader(path);
    CaptureCheck check;
    while (limit == 0 || check.records < limit) {
        const std::optional<CaptureReader::Entry> entry = reader.nextEntry();
        if (!entry)
            break;
        if (entry->torn)
            check.tornLine = entry->line;
        else if (!entry->record)
            throw CaptureError(Located(reader.name(), entry->line, entry->error));
        else
            ++check.records;
    }
    return check;
}

} // namespace capture
