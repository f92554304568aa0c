#include "capture/CaptureWriter.h"

#include "runtime/Exception.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace capture {

namespace {

// Large enough that 50 000 lines a second take a few hundred writes.
constexpr std::size_t kBufferBytes = 256 * 1024;

} // namespace

CaptureWriter::CaptureWriter(CaptureFiles files) : files_(std::move(files))
{
    buffer_.reserve(kBufferBytes * 2);
    open();
}

CaptureWriter::~CaptureWriter()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void CaptureWriter::open()
{
    // Read too: the last byte tells whether the file ends on a whole line.
    fd_ = ::open(files_.path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd_ < 0)
        fail("", errno);
    struct stat status {};
    if (::fstat(fd_, &status) != 0)
        fail("", errno);
    size_ = static_cast<std::uint64_t>(status.st_size);
    // A line left torn by an earlier writer stays a line of its own rather
    // than swallow the first new one.
    char last = '\n';
    if (S_ISREG(status.st_mode) && size_ > 0 &&
        ::pread(fd_, &last, 1, static_cast<off_t>(size_ - 1)) != 1)
        fail("", errno);
    if (last != '\n') {
        buffer_ += '\n';
        ++size_;
    }
}

void CaptureWriter::write(const CaptureRecord& record)
{
    write(ToJsonLine(record));
}

void CaptureWriter::write(std::string_view line)
{
    const std::uint64_t length = line.size() + 1;
    if (files_.maxBytes > 0 && size_ > 0 && size_ + length > files_.maxBytes)
        rotate();
    buffer_.append(line);
    buffer_ += '\n';
    size_ += length;
    if (buffer_.size() >= kBufferBytes)
        flush();
}

void CaptureWriter::flush()
{
    const std::uint64_t before = size_ - buffer_.size();
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t written = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0) {
            const int error = errno;
            // Readers pass over a torn last line, with a warning.
            if (!cutToWholeLines(before, done))
                fail(files_.path + " (its last line is torn)", error);
            fail("", error);
        }
        done += static_cast<std::size_t>(written);
    }
    buffer_.clear();
}

bool CaptureWriter::cutToWholeLines(std::uint64_t before, std::size_t done)
{
    // A full disk takes part of the buffer: what follows its last line break
    // would be a torn line, refused by readers once more lines follow it.
    const std::size_t lastBreak = done == 0 ? std::string::npos : buffer_.rfind('\n', done - 1);
    const std::size_t whole = lastBreak == std::string::npos ? 0 : lastBreak + 1;
    return whole == done || ::ftruncate(fd_, static_cast<off_t>(before + whole)) == 0;
}

void CaptureWriter::rotate()
{
    flush();
    ::close(std::exchange(fd_, -1));
    RotateFiles(files_);
    open();
}

void CaptureWriter::fail(const std::string& what, int error) const
{
    throw runtime::Exception((what.empty() ? files_.path : what) + ": " + std::strerror(error));
}

} // namespace capture
