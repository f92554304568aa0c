#pragma once

#include "capture/CaptureRecord.h"
#include "loop/InputFile.h"
#include "runtime/Exception.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace capture {

// An input that cannot be read, or a refused line: "FILE: what" or
// "FILE:LINE: what", in the form editors jump to.
class CaptureError : public runtime::Exception {
public:
    using Exception::Exception;
};

// A text input read line by line with a bound on the line's length, so a file
// without line breaks (or not a capture at all) cannot exhaust memory. Reads
// give way to a stop signal (loop::InputStopped), however long the line.
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
        // The input ended inside it: a last line without its line break.
        bool unterminated = false;
    };

    struct Entry {
        std::size_t line = 0;
        std::optional<CaptureRecord> record;
        // Otherwise why the line is refused.
        std::string error;
        // Refused, and the last line without its line break: a write cut
        // short (a full disk), to pass over rather than refuse the file for.
        bool torn = false;
    };

    // "-" reads standard input. Throws CaptureError when the input cannot be
    // opened or is neither a regular file nor a pipe.
    explicit CaptureReader(const std::string& path);

    // What messages call the input: the path, or "-".
    const std::string& name() const { return name_; }
    // A regular file named by its path, which a second reader can read
    // again.
    bool rereadable() const { return input_->rereadable(); }

    // The next line; nothing at the end. Throws CaptureError when reading
    // fails, loop::InputStopped on a stop signal.
    std::optional<Line> nextLine();
    // The next capture line that is not blank, parsed.
    std::optional<Entry> nextEntry();

private:
    // False at the end of the input.
    bool fill();

    std::string name_;
    std::optional<loop::InputFile> input_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::size_t lineNumber_ = 0;
};

// What a first pass over a capture found.
struct CaptureCheck {
    std::size_t records = 0;
    // A torn last line passed over (see CaptureReader::Entry::torn).
    std::optional<std::size_t> tornLine;
};

// Parses a capture's lines up to `limit` records (0: all) and keeps none, so
// a replay can refuse a damaged file before it sends anything without holding
// the file in memory. Throws CaptureError naming the first refused line
// (FILE:LINE: what), loop::InputStopped on a stop signal.
CaptureCheck CheckCapture(const std::string& path, std::size_t limit);

} // namespace capture
