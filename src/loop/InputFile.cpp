#include "loop/InputFile.h"

#include "loop/StopSignals.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace loop {

InputFile::InputFile(const std::string& path) : path_(path), signals_(StopSignals::OpenFd())
{
    // Not blocking on open: a FIFO without a writer would wait here, before
    // any signal could be heard.
    fd_ = path == "-" ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat status {};
    const int error = fd_ < 0 || ::fstat(fd_, &status) != 0 ? errno : 0;
    const bool regular = S_ISREG(status.st_mode);
    rereadable_ = regular && fd_ != STDIN_FILENO;
    if (error == 0 && (regular || S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode)))
        return;
    release();
    if (error != 0)
        fail(error);
    throw runtime::Exception(path_ + ": is not a regular file or a pipe");
}

InputFile::~InputFile()
{
    release();
}

void InputFile::release()
{
    ::close(signals_);
    if (fd_ >= 0 && fd_ != STDIN_FILENO)
        ::close(fd_);
}

std::size_t InputFile::read(char* buffer, std::size_t size)
{
    for (;;) {
        pollfd waits[2] = {{signals_, POLLIN, 0}, {fd_, POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        // Checked first: a file that always has data must not hide a stop.
        if ((waits[0].revents & POLLIN) != 0)
            throw InputStopped();
        const ssize_t got = ::read(fd_, buffer, size);
        if (got >= 0)
            return static_cast<std::size_t>(got);
        // An inherited standard input may be non-blocking.
        if (errno != EINTR && errno != EAGAIN)
            fail(errno);
    }
}

void InputFile::fail(int error) const
{
    throw runtime::Exception(path_ + ": " + std::strerror(error));
}

} // namespace loop
