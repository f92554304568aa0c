#pragma once

#include "ccm/Decoder.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace monitor {
class JsonObject;
}

namespace capture {

// When a datagram arrived, and the offset of the local time it is written
// in, so that a capture reads as the clock on the wall read, and still sorts
// and subtracts correctly across a change of daylight saving time.
struct CaptureTime {
    std::chrono::sys_time<std::chrono::microseconds> instant;
    std::chrono::minutes utcOffset{0};

    bool operator==(const CaptureTime&) const = default;
};

// `when` in this machine's local time zone, as of that moment.
CaptureTime LocalCaptureTime(std::chrono::system_clock::time_point when);
// "2026-12-08T23:10:04.123456+09:00".
std::string FormatCaptureTime(const CaptureTime& time);
// The form above; also "Z", and 1 to 9 decimals or none (microseconds kept).
std::optional<CaptureTime> ParseCaptureTime(std::string_view text);

// One received datagram as a capture keeps it.
struct CaptureRecord {
    CaptureTime time;
    std::string sourceIp;
    std::uint16_t sourcePort = 0;
    // The address it was sent to (a broadcast, or this host's); empty when
    // not known (captures written before it was kept).
    std::string destinationIp;
    // The local port it arrived on; a replay sends there by default.
    std::uint16_t port = 0;
    std::string bytes;
    ccm::DecodeResult decoded;
};

// The record's members in a fixed order: time, source, source_port,
// destination (when known), port,
// size, bytes (base64), kind, then fields and findings (code and detail), or
// error and offset for a datagram that does not decode. Every JSON line about
// a datagram starts with them, so each one can be read as a capture.
void WriteRecord(monitor::JsonObject& object, const CaptureRecord& record);

// The record alone as one JSON object on one line, without the line break.
// Reading uses Qt's parser.
std::string ToJsonLine(const CaptureRecord& record);

struct ParsedCaptureLine {
    std::optional<CaptureRecord> record;
    // Otherwise why not.
    std::string error;
};

// Reads a line ToJsonLine wrote, or a later version's (unknown keys are
// passed over). time, source, port and bytes are required. The bytes are the
// record: `decoded` is decoded from them again rather than read from the
// line, so a capture written by an older decoder is judged as today's would.
ParsedCaptureLine ParseCaptureLine(std::string_view line);

} // namespace capture
