#pragma once

#include "monitor/CaptureRecord.h"
#include "runtime/Exception.h"

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace monitor {

// An input that cannot be read, or a refused line: "FILE: what" or
// "FILE:LINE: what", in the form editors jump to.
class CaptureError : public runtime::Exception {
public:
    using Exception::Exception;
};

// A text input read line by line with a bound on the line's length, so a file
// without line breaks (or not a capture at all) cannot exhaust memory.
class CaptureReader {
public:
    // A capture line holds at most a 64 KiB datagram in base64 and its fields.
    static constexpr std::size_t kMaxLineBytes = 256 * 1024;

    struct Line {
        std::size_t number = 0;
        // Without its line break ("\n" or "\r\n").
        std::string text;
        // The line was longer than kMaxLineBytes; `text` holds its start.
        bool tooLong = false;
    };

    struct Entry {
        std::size_t line = 0;
        std::optional<CaptureRecord> record;
        // Otherwise why the line is refused.
        std::string error;
    };

    // "-" reads standard input. Throws CaptureError when the file cannot be
    // opened.
    explicit CaptureReader(const std::string& path);
    ~CaptureReader();
    CaptureReader(const CaptureReader&) = delete;
    CaptureReader& operator=(const CaptureReader&) = delete;

    // What messages call the input: the path, or "-".
    const std::string& name() const { return name_; }

    // The next line; nothing at the end. Throws CaptureError when reading fails.
    std::optional<Line> nextLine();
    // The next capture line that is not blank, parsed.
    std::optional<Entry> nextEntry();

private:
    std::string name_;
    std::FILE* file_ = nullptr;
    std::size_t lineNumber_ = 0;
};

// Every record of a capture, or CaptureError naming the first line refused
// (FILE:LINE: what), so a replay sends nothing from a damaged file.
std::vector<CaptureRecord> ReadCapture(const std::string& path);

} // namespace monitor
