#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <sys/types.h>
#include <unistd.h>
#include <utility>

namespace node {

// The playback file: a text file read the way a text-mode stream reads it.
// Every CR byte is dropped, a Ctrl-Z byte ends the file (nothing after it is
// ever read), and a line is read into a 128-byte buffer, so at most 127
// characters per read. The file is opened read-only and not locked: another
// program may go on writing it, and data appended after the end is read by
// the next read. A failing read is not the end of the file: it has an
// indicator of its own, so the player can tell a broken disk from the end.
class PlaybackFile {
public:
    static constexpr std::size_t kLineBufferSize = 128;

    // Reads like read(2): the byte count, 0 at the end, -1 with errno set.
    using Reader = std::function<ssize_t(int fd, void* buffer, std::size_t size)>;

    // One line as read: at most kLineBufferSize - 1 bytes, the line feed
    // included when one was met.
    struct Line {
        std::array<char, kLineBufferSize> bytes{};
        std::size_t length = 0;
    };

    PlaybackFile() = default;
    PlaybackFile(const PlaybackFile&) = delete;
    PlaybackFile& operator=(const PlaybackFile&) = delete;
    ~PlaybackFile();

    // Opens an existing regular file for reading, closing any file open
    // before. An empty path, a missing file, a directory, a device or a pipe
    // cannot be opened: returns false and the file stays closed.
    bool open(const std::string& path);
    bool isOpen() const { return fd_ >= 0; }
    // Closing a closed file does nothing.
    void close();

    // Reads the next line into `line`. Returns false when no character at all
    // was read, or when a read failed (what was read of the line is then
    // lost); `line` is then left as it was. At the end of the file or at a
    // Ctrl-Z the end-of-file indicator is set, also when the read delivered a
    // last line without a line feed.
    bool readLine(Line& line);
    bool atEnd() const { return atEnd_; }
    // Whether the last readLine stopped at a read error.
    bool failed() const { return failed_; }
    // Back to the first byte; clears both indicators.
    void rewind();

    // Replaces read(2), so that a test can make reads fail.
    void setReader(Reader reader) { read_ = std::move(reader); }

private:
    // Refills the read-ahead buffer; false when nothing more can be read now.
    bool fill();

    Reader read_ = ::read;
    int fd_ = -1;
    bool atEnd_ = false;
    bool failed_ = false;
    bool ctrlZSeen_ = false;
    std::array<char, 4096> buffer_{};
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

} // namespace node
