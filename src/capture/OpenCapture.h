#pragma once

#include "capture/CaptureFiles.h"
#include "capture/RecordSink.h"
#include "capture/RecordSource.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace capture {

// The ports of UECS traffic: data, SEARCH and its replies, the scans.
std::set<std::uint16_t> UecsPorts();

// A capture file as a record source, its format told by its first bytes
// (pcap and pcapng by their magic numbers, anything else read as JSON lines),
// so a file named for one format and holding another is still read right.
// "-" reads standard input. Packet captures give the datagrams to `ports`.
// Throws CaptureError when the input cannot be opened or read as its format.
std::unique_ptr<RecordSource> OpenCapture(const std::string& path,
                                          const std::set<std::uint16_t>& ports);

enum class CaptureFormat { jsonLines, pcap };

// The format a file to write is named for: pcap for ".pcap" (any case), JSON
// lines otherwise.
CaptureFormat FormatByName(const std::string& path);

// A writer of the files in the format. Throws runtime::Exception when the
// file cannot be opened (or appended to: a pcap file of another link type).
std::unique_ptr<RecordSink> CreateCapture(const CaptureFiles& files, CaptureFormat format);

// What a first pass over a capture found.
struct CaptureCheck {
    std::size_t records = 0;
    // A torn last line passed over (see RecordSource::Entry::torn).
    std::optional<std::size_t> tornLine;
};

// Reads a capture up to `limit` records (0: all) and keeps none, so a replay
// can refuse a damaged file before it sends anything without holding the
// file in memory. Throws CaptureError naming the first refused line or record
// (FILE:N: what), loop::InputStopped on a stop signal.
CaptureCheck CheckCapture(const std::string& path, const std::set<std::uint16_t>& ports,
                          std::size_t limit);

// What a packet capture's reading passed over, for a message ("passed over
// 3 packets not UDP to the ports read, ..."); empty when nothing was.
std::string SkippedText(const RecordSource::Skipped& skipped);

// "FILE:N: what", the form editors jump to.
std::string Located(const std::string& name, std::size_t number, const std::string& what);

} // namespace capture
