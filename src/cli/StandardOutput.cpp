#include "cli/StandardOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {

namespace {

int ErrorOfFailedWrite(int earlier)
{
    if (errno != 0)
        return errno;
    // The failure came in a writer's own flush, and the stream dropped what
    // it could not write. A reader that went away still shows on the
    // descriptor; otherwise the errno of that flush is the best account.
    pollfd descriptor{STDOUT_FILENO, POLLOUT, 0};
    if (::poll(&descriptor, 1, 0) == 1 && (descriptor.revents & POLLERR) != 0)
        return EPIPE;
    return earlier != 0 ? earlier : EIO;
}

} // namespace

int StandardOutputError()
{
    static int first = 0;
    if (first != 0)
        return first;
    const int earlier = errno;
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0)
        first = ErrorOfFailedWrite(earlier);
    return first;
}

int FinishStandardOutput(int status)
{
    const int error = StandardOutputError();
    if (error == 0 || error == EPIPE)
        return status;
    std::fprintf(stderr, "setarome-cli: standard output: %s\n", std::strerror(error));
    return 1;
}

bool IsNullDevice(int fd)
{
    struct stat given {};
    struct stat null {};
    return ::fstat(fd, &given) == 0 && ::stat("/dev/null", &null) == 0 && S_ISCHR(given.st_mode) &&
           S_ISCHR(null.st_mode) && given.st_rdev == null.st_rdev;
}

} // namespace cli
