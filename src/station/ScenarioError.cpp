#include "station/ScenarioError.h"

#include "ccm/Utf8.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace station {

std::string Quoted(std::string_view text)
{
    constexpr std::size_t kShownChars = 60;
    std::size_t at = 0;
    for (std::size_t chars = 0; at < text.size() && chars < kShownChars; ++chars)
        at += std::max<std::size_t>(ccm::Utf8CharLength(text, at), 1);
    if (at == text.size())
        return '\'' + std::string(text) + '\'';
    return '\'' + std::string(text.substr(0, at)) + "...'";
}

void RequireReadableFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw ScenarioError(path, std::string("cannot be read: ") + std::strerror(errno));
    struct stat status {};
    const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    ::close(fd);
    if (!regular)
        throw ScenarioError(path, "is not a regular file");
}

} // namespace station
