// The pcap files the monitor writes: every record read back whole (time,
// addresses, ports, bytes), appended to across runs, rotated without losing
// one, and never written over a file of another kind.

#include "capture/PcapWriter.h"
#include "capture/OpenCapture.h"

#include "node/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

capture::CaptureRecord Record(std::int64_t micros, std::string destination, std::string bytes)
{
    capture::CaptureRecord record;
    record.time = capture::LocalCaptureTime(
        std::chrono::system_clock::time_point(std::chrono::microseconds(micros)));
    record.sourceIp = "192.168.1.20";
    record.sourcePort = 40001;
    record.destinationIp = std::move(destination);
    record.port = 16520;
    record.bytes = std::move(bytes);
    return record;
}

std::vector<capture::CaptureRecord> ReadWritten(const std::string& path)
{
    const auto source = capture::OpenCapture(path, capture::UecsPorts());
    std::vector<capture::CaptureRecord> records;
    while (auto entry = source->next()) {
        EXPECT_TRUE(entry->record) << entry->error;
        if (entry->record)
            records.push_back(std::move(*entry->record));
    }
    return records;
}

class PcapWriterTest : public ::testing::Test {
protected:
    std::string path(const char* name) const { return (scratch_.path() / name).string(); }

    ScratchDir scratch_;
};

TEST_F(PcapWriterTest, RecordsReadBackWholeAndAppendedToAcrossRuns)
{
    const std::string file = path("capture.pcap");
    const std::vector<capture::CaptureRecord> written{
        Record(1796000000000001, "192.168.1.255", "<odd length>"),
        Record(1796000000500002, "", std::string("\0\x01\xff", 3)),
        Record(1796000001000003, "10.0.0.2", std::string(1400, 'x'))};
    {
        capture::PcapWriter writer({file, 0, 5});
        writer.write(written[0]);
        writer.write(written[1]);
        writer.flush();
    }
    {
        capture::PcapWriter again({file, 0, 5});
        again.write(written[2]);
        again.flush();
    }
    const std::vector<capture::CaptureRecord> read = ReadWritten(file);
    ASSERT_EQ(read.size(), written.size());
    for (std::size_t index = 0; index < read.size(); ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(read[index].time.instant, written[index].time.instant);
        EXPECT_EQ(read[index].sourceIp, written[index].sourceIp);
        EXPECT_EQ(read[index].sourcePort, written[index].sourcePort);
        EXPECT_EQ(read[index].port, written[index].port);
        EXPECT_EQ(read[index].bytes, written[index].bytes);
    }
    EXPECT_EQ(read[0].destinationIp, "192.168.1.255");
    EXPECT_EQ(read[1].destinationIp, "255.255.255.255");
}

TEST_F(PcapWriterTest, RotationKeepsEveryRecordInWholeFiles)
{
    const std::string file = path("rotated.pcap");
    {
        capture::PcapWriter writer({file, 24 + 2 * (16 + 28 + 100), 3});
        for (int index = 0; index < 5; ++index)
            writer.write(Record(1796000000000000 + index, "", std::string(100, char('a' + index))));
        writer.flush();
    }
    std::string seen;
    for (const std::string& name : {file + ".2", file + ".1", file})
        for (const capture::CaptureRecord& record : ReadWritten(name))
            seen += record.bytes[0];
    EXPECT_EQ(seen, "abcde");
    EXPECT_FALSE(std::filesystem::exists(file + ".3"));
}

TEST_F(PcapWriterTest, FileOfAnotherKindIsNeverWrittenOver)
{
    const std::string line = "{\"time\":\"x\"}\n";
    const std::string file = scratch_.write("capture.pcap", line);
    EXPECT_THROW(capture::PcapWriter({file, 0, 5}), runtime::Exception);
    EXPECT_EQ(std::filesystem::file_size(file), line.size());
}

} // namespace
