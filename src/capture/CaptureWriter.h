#pragma once

#include "capture/CaptureFiles.h"
#include "capture/RecordSink.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace capture {

// Lines appended to a capture file, buffered so that tens of thousands a
// second cost a few writes; the owner calls flush() at least every second.
// Rotation renames FILE to FILE.1 (and FILE.1 to FILE.2 ...), so a line is
// never split between two files. Every failure throws runtime::Exception
// naming the file and the system's reason; the writer is then of no further
// use. The file holds whole lines only: a write cut short (a full disk) is
// cut back to its last line break, and a file that ends inside a line is
// appended to from a fresh line.
class CaptureWriter : public RecordSink {
public:
    // Opens (creates, or appends to) the file.
    explicit CaptureWriter(CaptureFiles files);
    CaptureWriter(const CaptureWriter&) = delete;
    CaptureWriter& operator=(const CaptureWriter&) = delete;
    // Closes without writing: a flush that could fail belongs to the owner.
    ~CaptureWriter() override;

    // The record as its JSON line.
    void write(const CaptureRecord& record) override;

    // `line` without its line break.
    void write(std::string_view line);
    void flush() override;

private:
    void open();
    void rotate();
    // After `done` bytes of the buffer went to a file of `before` bytes;
    // false when the file could not be cut back.
    bool cutToWholeLines(std::uint64_t before, std::size_t done);
    [[noreturn]] void fail(const std::string& what, int error) const;

    CaptureFiles files_;
    int fd_ = -1;
    // Bytes in the file, written or buffered.
    std::uint64_t size_ = 0;
    std::string buffer_;
};

} // namespace capture
