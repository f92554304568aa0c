#pragma once

#include "capture/CaptureRecord.h"
#include "capture/RecordSource.h"
#include "loop/InputFile.h"
#include "runtime/Exception.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace capture {

// A text input read line by line with a bound on the line's length, so a file
// without line breaks (or not a capture at all) cannot exhaust memory. Reads
// give way to a stop signal (loop::InputStopped), however long the line. As
// a record source, its lines are the JSON lines of a capture.
class CaptureReader : public RecordSource {
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

    using Entry = RecordSource::Entry;

    // "-" reads standard input. Throws CaptureError when the input cannot be
    // opened or is neither a regular file nor a pipe.
    explicit CaptureReader(const std::string& path);
    // Reads `input`, whose first bytes `head` were already read from it.
    CaptureReader(std::string name, std::unique_ptr<loop::InputFile> input,
                  const std::string& head);

    const std::string& name() const override { return name_; }
    bool rereadable() const override { return input_->rereadable(); }

    // The next line; nothing at the end. Throws CaptureError when reading
    // fails, loop::InputStopped on a stop signal.
    std::optional<Line> nextLine();
    // The next capture line that is not blank, parsed.
    std::optional<Entry> next() override;

private:
    // False at the end of the input.
    bool fill();

    std::string name_;
    std::unique_ptr<loop::InputFile> input_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::size_t lineNumber_ = 0;
};

} // namespace capture
