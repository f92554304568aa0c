#include "monitor/CaptureReader.h"

#include <cerrno>
#include <cstring>

namespace monitor {

namespace {

std::string Located(const std::string& name, std::size_t line, const std::string& what)
{
    return name + ':' + std::to_string(line) + ": " + what;
}

} // namespace

CaptureReader::CaptureReader(const std::string& path) : name_(path)
{
    if (path == "-") {
        file_ = stdin;
        return;
    }
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr)
        throw CaptureError(path + ": " + std::strerror(errno));
}

CaptureReader::~CaptureReader()
{
    if (file_ != nullptr && file_ != stdin)
        std::fclose(file_);
}

std::optional<CaptureReader::Line> CaptureReader::nextLine()
{
    Line line;
    bool any = false;
    for (int c; (c = getc_unlocked(file_)) != EOF;) {
        any = true;
        if (c == '\n')
            break;
        if (line.text.size() < kMaxLineBytes)
            line.text += static_cast<char>(c);
        else
            line.tooLong = true;
    }
    // A directory opens, and fails only here (EISDIR).
    if (std::ferror(file_))
        throw CaptureError(name_ + ": " + std::strerror(errno));
    if (!any)
        return std::nullopt;
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
        Entry entry{line->number, std::nullopt, {}};
        if (line->tooLong) {
            entry.error = "line longer than " + std::to_string(kMaxLineBytes) + " bytes";
            return entry;
        }
        ParsedCaptureLine parsed = ParseCaptureLine(line->text);
        entry.record = std::move(parsed.record);
        entry.error = std::move(parsed.error);
        return entry;
    }
    return std::nullopt;
}

std::vector<CaptureRecord> ReadCapture(const std::string& path)
{
    CaptureReader reader(path);
    std::vector<CaptureRecord> records;
    while (std::optional<CaptureReader::Entry> entry = reader.nextEntry()) {
        if (!entry->record)
            throw CaptureError(Located(reader.name(), entry->line, entry->error));
        records.push_back(std::move(*entry->record));
    }
    return records;
}

} // namespace monitor
