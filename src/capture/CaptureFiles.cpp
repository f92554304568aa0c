#include "capture/CaptureFiles.h"

#include "runtime/Exception.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace capture {

namespace {

std::string Numbered(const std::string& path, int number)
{
    return path + "." + std::to_string(number);
}

[[noreturn]] void Fail(const std::string& path, int error)
{
    throw runtime::Exception(path + ": " + std::strerror(error));
}

} // namespace

void RotateFiles(const CaptureFiles& files)
{
    if (files.keep <= 0) {
        if (::unlink(files.path.c_str()) != 0 && errno != ENOENT)
            Fail(files.path, errno);
        return;
    }
    // FILE.keep is overwritten, so the oldest goes.
    for (int number = files.keep - 1; number >= 1; --number)
        if (::rename(Numbered(files.path, number).c_str(),
                     Numbered(files.path, number + 1).c_str()) != 0 &&
            errno != ENOENT)
            Fail(Numbered(files.path, number), errno);
    if (::rename(files.path.c_str(), Numbered(files.path, 1).c_str()) != 0)
        Fail(files.path, errno);
}

} // namespace capture
