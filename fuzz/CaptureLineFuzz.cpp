// The capture line reader, given arbitrary bytes as one line: it refuses with
// a reason or gives a record, and a record written again reads back the same
// (so a capture passed through replay's reader and monitor's writer keeps
// every datagram and its time exactly).
#include "FuzzCheck.h"
#include "capture/CaptureRecord.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const capture::ParsedCaptureLine parsed = capture::ParseCaptureLine(line);
    FUZZ_CHECK(parsed.record.has_value() != !parsed.error.empty());
    if (!parsed.record)
        return 0;
    const capture::CaptureRecord& record = *parsed.record;
    FUZZ_CHECK(record.port != 0);
    const std::string written = capture::ToJsonLine(record);
    FUZZ_CHECK(written.find('\n') == std::string::npos);
    const capture::ParsedCaptureLine again = capture::ParseCaptureLine(written);
    FUZZ_CHECK(again.record.has_value());
    FUZZ_CHECK(again.record->time == record.time);
    FUZZ_CHECK(again.record->sourcePort == record.sourcePort);
    FUZZ_CHECK(again.record->port == record.port);
    FUZZ_CHECK(again.record->bytes == record.bytes);
    // The line is a function of the record alone.
    FUZZ_CHECK(capture::ToJsonLine(*again.record) == written);
    return 0;
}
