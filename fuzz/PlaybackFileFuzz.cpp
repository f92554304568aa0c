// The playback file reader and the leading-integer parse, given arbitrary bytes
// as the file. The file lives in memory (memfd) and is opened by its /proc
// path, so the reader makes its real open and read calls without any disk.
#include "FuzzCheck.h"
#include "node/LeadingInteger.h"
#include "node/PlaybackFile.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

using node::PlaybackFile;
using Lines = std::vector<std::string>;

constexpr std::size_t kLongestLine = PlaybackFile::kLineBufferSize - 1;

class MemoryFile {
public:
    MemoryFile() : fd_(::memfd_create("playback", MFD_CLOEXEC)) { FUZZ_CHECK(fd_ >= 0); }
    ~MemoryFile() { ::close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    void append(std::string_view bytes)
    {
        FUZZ_CHECK(::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()));
    }
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

// What a text-mode stream delivers: the bytes before the first Ctrl-Z, with
// every CR left out.
std::string TextModeContent(std::string_view bytes)
{
    bytes = bytes.substr(0, bytes.find('\x1a'));
    std::string text;
    std::copy_if(bytes.begin(), bytes.end(), std::back_inserter(text),
                 [](char c) { return c != '\r'; });
    return text;
}

// That content cut into the lines a clean read gives: each up to and
// including its line feed, in pieces of at most 127 bytes.
Lines ExpectedLines(const std::string& text)
{
    Lines lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t feed = text.find('\n', at);
        const std::size_t end = feed == std::string::npos ? text.size() : feed + 1;
        lines.push_back(text.substr(at, std::min(end - at, kLongestLine)));
        at += lines.back().size();
    }
    return lines;
}

// Reads until the reader finds nothing more. A line short of the buffer and
// without a line feed can only be the last one before the end.
Lines ReadToEnd(PlaybackFile& file)
{
    Lines lines;
    PlaybackFile::Line line;
    while (file.readLine(line)) {
        FUZZ_CHECK(line.length > 0 && line.length <= kLongestLine);
        const std::string_view read(line.bytes.data(), line.length);
        FUZZ_CHECK(read.find('\n') == std::string_view::npos || read.find('\n') == read.size() - 1);
        if (read.back() != '\n' && read.size() < kLongestLine)
            FUZZ_CHECK(file.atEnd());
        lines.emplace_back(read);
    }
    FUZZ_CHECK(file.atEnd());
    // The read that found nothing left the buffer as it was.
    if (!lines.empty())
        FUZZ_CHECK(std::string_view(line.bytes.data(), line.length) == lines.back());
    return lines;
}

std::string Joined(const Lines& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line;
    return text;
}

// The C library reads the blanks exactly; a number past 64 bits only counts
// modulo 2^32, and since 10^32 is a multiple of 2^32 only its last 32 digits
// matter, taken as two 16-digit halves.
std::int32_t ReferenceLeadingInteger(const std::string& line)
{
    std::size_t at = 0;
    while (at < line.size() && std::isspace(static_cast<unsigned char>(line[at])))
        ++at;
    const bool negative = at < line.size() && line[at] == '-';
    if (at < line.size() && (line[at] == '-' || line[at] == '+'))
        ++at;
    std::size_t end = at;
    while (end < line.size() && std::isdigit(static_cast<unsigned char>(line[end])))
        ++end;
    std::string digits = line.substr(at, end - at);
    if (digits.size() > 32)
        digits.erase(0, digits.size() - 32);
    const std::size_t split = digits.size() > 16 ? digits.size() - 16 : 0;
    std::uint64_t value = 0;
    if (split > 0)
        value = std::stoull(digits.substr(0, split)) * 10'000'000'000'000'000ull;
    if (split < digits.size())
        value += std::stoull(digits.substr(split));
    const auto low = static_cast<std::uint32_t>(value);
    return static_cast<std::int32_t>(negative ? 0u - low : low);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The first byte picks how much of the file exists when playback starts;
    // the rest is appended after the reader has met the end.
    const std::size_t present = size == 0 ? 0 : data[0] % (size + 1);
    MemoryFile file;
    file.append(bytes.substr(0, present));

    PlaybackFile playback;
    FUZZ_CHECK(playback.open(file.path()));
    const Lines first = ReadToEnd(playback);
    file.append(bytes.substr(present));
    const Lines appended = ReadToEnd(playback);
    const std::string content = TextModeContent(bytes);
    FUZZ_CHECK(Joined(first) + Joined(appended) == content);

    playback.rewind();
    const Lines lines = ReadToEnd(playback);
    FUZZ_CHECK(lines == ExpectedLines(content));
    for (const std::string& line : lines)
        FUZZ_CHECK(node::ParseLeadingInteger(line) == ReferenceLeadingInteger(line));
    return 0;
}
