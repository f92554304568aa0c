#include "node/PlaybackFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace node {

namespace {
constexpr char kCtrlZ = 0x1A;
constexpr char kCr = '\r';
} // namespace

PlaybackFile::~PlaybackFile()
{
    close();
}

bool PlaybackFile::open(const std::string& path)
{
    close();
    if (path.empty())
        return false;
    // O_NONBLOCK keeps the open of a pipe from waiting for a writer; only a
    // regular file is played, since a pipe or a terminal could block the tick.
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void PlaybackFile::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    atEnd_ = false;
    failed_ = false;
    ctrlZSeen_ = false;
    begin_ = end_ = 0;
}

void PlaybackFile::rewind()
{
    if (fd_ >= 0)
        ::lseek(fd_, 0, SEEK_SET);
    atEnd_ = false;
    failed_ = false;
    ctrlZSeen_ = false;
    begin_ = end_ = 0;
}

bool PlaybackFile::fill()
{
    if (fd_ < 0 || ctrlZSeen_)
        return false;
    ssize_t n;
    do {
        n = read_(fd_, buffer_.data(), buffer_.size());
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        failed_ = true;
    if (n <= 0)
        return false;
    begin_ = 0;
    end_ = static_cast<std::size_t>(n);
    return true;
}

bool PlaybackFile::readLine(Line& line)
{
    failed_ = false;
    // Built aside, so that a read that fails half-way leaves `line` intact.
    Line read;
    std::size_t length = 0;
    while (length < kLineBufferSize - 1) {
        if (begin_ == end_ && !fill()) {
            if (failed_)
                return false;
            atEnd_ = true;
            break;
        }
        const char c = buffer_[begin_++];
        if (c == kCr)
            continue;
        if (c == kCtrlZ) {
            // The stream ends here for good: the rest is neither buffered
            // nor read again.
            ctrlZSeen_ = true;
            begin_ = end_;
            atEnd_ = true;
            break;
        }
        read.bytes[length++] = c;
        if (c == '\n')
            break;
    }
    if (length == 0)
        return false;
    read.length = length;
    line = read;
    return true;
}

} // namespace node
