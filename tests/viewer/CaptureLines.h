#pragma once

// Datagrams and captures made up for the window's tests.

#include "capture/CaptureRecord.h"
#include "ccm/Decoder.h"
#include "monitor/KeyTable.h"

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

namespace viewertest {

inline const std::string kHead = R"(<?xml version="1.0"?><UECS ver="1.00-E10">)";

// A data message of region 1, order 1, priority 29; `extra` goes into the
// DATA tag after its attributes.
inline std::string Data(const std::string& type, int room, const std::string& value,
                        const std::string& ip, const std::string& extra = "")
{
    return kHead + R"(<DATA type=")" + type + R"(" room=")" + std::to_string(room) +
           R"(" region="1" order="1" priority="29")" + extra + ">" + value + "</DATA><IP>" + ip +
           "</IP></UECS>";
}

inline std::string ScanReply(const std::string& type, const std::string& sr,
                             const std::string& unit)
{
    return kHead +
           R"(<CCMNUM page="1" total="1">1</CCMNUM><CCM No="1" room="1" region="1" order="1" )"
           R"(priority="29" cast="1" unit=")" +
           unit + R"(" SR=")" + sr + R"(" LV="A-1S-0">)" + type + "</CCM></UECS>";
}

// 2026-12-08 00:00:00 UTC plus `seconds`.
inline capture::CaptureTime At(double seconds)
{
    using namespace std::chrono;
    const sys_time<microseconds> base = sys_days(year(2026) / 12 / 8);
    return {base + microseconds(static_cast<long long>(seconds * 1e6)), minutes(0)};
}

inline capture::CaptureRecord Record(double seconds, const std::string& source,
                                     const std::string& bytes)
{
    return {At(seconds), source, 16520, {}, 16520, bytes, ccm::Decode(bytes)};
}

inline void WriteCapture(const std::string& path,
                         const std::vector<capture::CaptureRecord>& records)
{
    std::ofstream out(path, std::ios::binary);
    for (const capture::CaptureRecord& record : records)
        out << capture::ToJsonLine(record) << '\n';
}

} // namespace viewertest
