#include "capture/CaptureReader.h"

#include <algorithm>
#include <cstring>

namespace capture {

namespace {

// Large enough that reading costs little next to parsing; a stop signal is
// heard at least once per block.
constexpr std::size_t kBlockBytes = 64 * 1024;

} // namespace

CaptureReader::CaptureReader(const std::string& path) : name_(path), buffer_(kBlockBytes)
{
    try {
        input_ = std::make_unique<loop::InputFile>(path);
    } catch (const loop::InputStopped&) {
        throw;
    } catch (const runtime::Exception& e) {
        throw CaptureError(e.Message());
    }
}

CaptureReader::CaptureReader(std::string name, std::unique_ptr<loop::InputFile> input,
                             const std::string& head)
    : name_(std::move(name)), input_(std::move(input)), buffer_(std::max(kBlockBytes, head.size()))
{
    std::copy(head.begin(), head.end(), buffer_.begin());
    end_ = head.size();
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

std::optional<CaptureReader::Entry> CaptureReader::next()
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

} // namespace capture
