#include "capture/OpenCapture.h"

#include "capture/CaptureReader.h"
#include "capture/CaptureWriter.h"
#include "capture/PcapReader.h"
#include "capture/PcapWriter.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

namespace capture {

namespace {

constexpr std::size_t kMagicBytes = 4;

// pcap in either byte order, with micro- or nanosecond times, and pcapng's
// section header block.
bool PacketCaptureMagic(const std::string& head)
{
    static constexpr std::array<const char*, 5> kMagics{"\xa1\xb2\xc3\xd4", "\xd4\xc3\xb2\xa1",
                                                        "\xa1\xb2\x3c\x4d", "\x4d\x3c\xb2\xa1",
                                                        "\x0a\x0d\x0d\x0a"};
    for (const char* magic : kMagics)
        if (head.size() == kMagicBytes && std::memcmp(head.data(), magic, kMagicBytes) == 0)
            return true;
    return false;
}

} // namespace

std::set<std::uint16_t> UecsPorts()
{
    return {16520, 16521, 16529};
}

std::unique_ptr<RecordSource> OpenCapture(const std::string& path,
                                          const std::set<std::uint16_t>& ports)
{
    std::unique_ptr<loop::InputFile> input;
    std::string head(kMagicBytes, '\0');
    std::size_t got = 0;
    try {
        input = std::make_unique<loop::InputFile>(path);
        // A pipe may hand the first bytes over one by one.
        for (std::size_t more = 1; got < kMagicBytes && more > 0; got += more)
            more = input->read(head.data() + got, kMagicBytes - got);
    } catch (const loop::InputStopped&) {
        throw;
    } catch (const runtime::Exception& e) {
        throw CaptureError(e.Message());
    }
    head.resize(got);
    if (PacketCaptureMagic(head))
        return std::make_unique<PcapReader>(path, std::move(input), head, ports);
    return std::make_unique<CaptureReader>(path, std::move(input), head);
}

CaptureFormat FormatByName(const std::string& path)
{
    std::string extension = path.size() >= 5 ? path.substr(path.size() - 5) : std::string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".pcap" ? CaptureFormat::pcap : CaptureFormat::jsonLines;
}

std::unique_ptr<RecordSink> CreateCapture(const CaptureFiles& files, CaptureFormat format)
{
    if (format == CaptureFormat::pcap)
        return std::make_unique<PcapWriter>(files);
    return std::make_unique<CaptureWriter>(files);
}

CaptureCheck CheckCapture(const std::string& path, const std::set<std::uint16_t>& ports,
                          std::size_t limit)
{
    const std::unique_ptr<RecordSource> source = OpenCapture(path, ports);
    CaptureCheck check;
    while (limit == 0 || check.records < limit) {
        const std::optional<RecordSource::Entry> entry = source->next();
        if (!entry)
            break;
        if (entry->torn)
            check.tornLine = entry->number;
        else if (!entry->record)
            throw CaptureError(Located(source->name(), entry->number, entry->error));
        else
            ++check.records;
    }
    return check;
}

std::string SkippedText(const RecordSource::Skipped& skipped)
{
    std::string text;
    const auto add = [&text](std::size_t count, const char* what) {
        if (count > 0)
            text += (text.empty() ? "passed over " : ", ") + std::to_string(count) + what;
    };
    add(skipped.other, " packets not UDP over IPv4 to the ports read");
    add(skipped.damaged, " packets cut short or damaged");
    add(skipped.fragments, " IPv4 fragments of datagrams never made whole");
    return text;
}

std::string Located(const std::string& name, std::size_t number, const std::string& what)
{
    return name + ':' + std::to_string(number) + ": " + what;
}

} // namespace capture
