#pragma once

#include "capture/CaptureRecord.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace viewer {

// One datagram of a capture as browsing keeps it: what arrived, not what it
// decodes to, which takes several times the memory and is made again as
// the datagram is taken.
struct StoredDatagram {
    capture::CaptureTime time;
    std::string sourceIp;
    std::uint16_t sourcePort = 0;
    std::uint16_t port = 0;
    std::string bytes;
};

// A capture read whole for browsing: its datagrams in file order, at most
// kMaxRecords of them (some 250 MB of 150-byte datagrams), and what was
// passed over. The one place the window
// opens a capture, so another format needs a change here only.
struct CaptureFile {
    static constexpr std::size_t kMaxRecords = 1'000'000;

    std::vector<StoredDatagram> records;
    // Lines refused ("FILE:LINE: what"), at most a few, and a note when the
    // file held more records than are kept.
    std::vector<std::string> warnings;

    // Throws capture::CaptureError when the file cannot be opened or read.
    static CaptureFile open(const std::string& path);
};

} // namespace viewer
