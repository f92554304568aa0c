#include "report/ReportFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace report {

std::string WriteReportFile(const std::string& path, std::string_view contents)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return path + ": " + std::strerror(errno);
    const bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    int error = written ? 0 : errno;
    // The buffered tail reaches the disk only here; its failure counts too.
    if (std::fclose(file) != 0 && error == 0)
        error = errno;
    if (!written && error == 0)
        error = EIO;
    return error == 0 ? std::string() : path + ": " + std::strerror(error);
}

} // namespace report
