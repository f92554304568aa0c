#pragma once

#include "capture/CaptureFiles.h"
#include "cli/Subcommand.h"
#include "monitor/KeyFilter.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace cli {

// `setarome-cli monitor`: listens beside any other receiver on the machine
// and shows every CCM heard, one row per key, until --count datagrams,
// --duration or a signal; --capture keeps every datagram (JSON lines or pcap).
class MonitorCommand : public Subcommand {
public:
    explicit MonitorCommand(CLI::App& program);

    void check() override;
    // 0 at the end or after a signal; 1 when the capture could not be
    // written or a port could not be opened; 2 when the capture file cannot
    // be used.
    int run() override;

private:
    std::vector<std::uint16_t> ports() const;
    std::string header() const;

    std::uint16_t port_ = 16520;
    bool scans_ = false;
    bool link_ = false;
    std::string interfaceName_;
    int receiveBuffer_ = 0;
    std::vector<std::string> types_;
    std::vector<std::int32_t> rooms_;
    std::vector<std::int32_t> regions_;
    std::vector<std::string> sources_;
    bool json_ = false;
    std::int64_t count_ = 0;
    std::int64_t seconds_ = 0;
    std::int64_t maxKeys_ = 10000;
    capture::CaptureFiles capture_;
    // "pcap" or "jsonl"; empty: by the file's extension.
    std::string captureFormat_;
    std::string receiver_;
    monitor::KeyFilter filter_;
};

} // namespace cli
