#include "capture/PcapReader.h"

#include "capture/CaptureReader.h"
#include "capture/LinkLayer.h"

#include <pcap/pcap.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace capture {

PcapReader::PcapReader(std::string name, std::unique_ptr<loop::InputFile> input, std::string head,
                       std::set<std::uint16_t> ports)
    : name_(std::move(name)), input_(std::move(input)), head_(std::move(head))
{
    const cookie_io_functions_t functions{&PcapReader::readCookie, nullptr, nullptr, nullptr};
    stream_ = fopencookie(this, "r", functions);
    if (stream_ == nullptr)
        throw CaptureError(name_ + ": " + std::strerror(errno));
    char error[PCAP_ERRBUF_SIZE] = "";
    // Microseconds whatever the file keeps: the precision of every capture.
    pcap_ = pcap_fopen_offline_with_tstamp_precision(stream_, PCAP_TSTAMP_PRECISION_MICRO, error);
    if (pcap_ == nullptr) {
        std::fclose(stream_);
        if (stopped_)
            throw loop::InputStopped();
        throw CaptureError(name_ + ": " + (readError_.empty() ? error : readError_));
    }
    const int linkType = pcap_datalink(pcap_);
    if (!SupportedLinkType(linkType)) {
        closeAll();
        throw CaptureError(name_ + ": " + LinkTypeName(linkType) +
                           " is not a link type read here (Ethernet, Linux cooked capture "
                           "v1 and v2, raw IPv4)");
    }
    decoder_.emplace(linkType, std::move(ports));
}

PcapReader::~PcapReader()
{
    closeAll();
}

void PcapReader::closeAll()
{
    // pcap_close closes the stream it was given.
    if (pcap_ != nullptr)
        pcap_close(pcap_);
    pcap_ = nullptr;
    stream_ = nullptr;
}

ssize_t PcapReader::readCookie(void* cookie, char* into, std::size_t size)
{
    auto& self = *static_cast<PcapReader*>(cookie);
    if (!self.head_.empty()) {
        const std::size_t count = std::min(size, self.head_.size());
        std::memcpy(into, self.head_.data(), count);
        self.head_.erase(0, count);
        return static_cast<ssize_t>(count);
    }
    // No exception may cross libpcap's C frames: remembered, and thrown once
    // libpcap returns.
    try {
        return static_cast<ssize_t>(self.input_->read(into, size));
    } catch (const loop::InputStopped&) {
        self.stopped_ = true;
    } catch (const runtime::Exception& e) {
        self.readError_ = e.Message();
    }
    errno = EIO;
    return -1;
}

std::optional<RecordSource::Entry> PcapReader::next()
{
    while (!ended_) {
        pcap_pkthdr* header = nullptr;
        const u_char* data = nullptr;
        const int result = pcap_next_ex(pcap_, &header, &data);
        if (stopped_)
            throw loop::InputStopped();
        if (!readError_.empty())
            throw CaptureError(readError_);
        if (result != 1) {
            // libpcap reads no further after a damaged record.
            ended_ = true;
            decoder_->finish();
            if (result == PCAP_ERROR_BREAK)
                break;
            return Entry{number_ + 1, std::nullopt, pcap_geterr(pcap_), false};
        }
        ++number_;
        const std::chrono::microseconds time =
            std::chrono::seconds(header->ts.tv_sec) + std::chrono::microseconds(header->ts.tv_usec);
        std::optional<CaptureRecord> record = decoder_->take({data, header->caplen}, time);
        if (record)
            return Entry{number_, std::move(record), {}, false};
    }
    return std::nullopt;
}

RecordSource::Skipped PcapReader::skipped() const
{
    return decoder_->skipped();
}

} // namespace capture
