// Reading a capture file: every record in order, or the first refused line
// named as FILE:LINE, and lines bounded in length.

#include "monitor/CaptureReader.h"

#include "node/ScratchDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kLine1 = "{\"time\":\"2026-12-08T23:10:04.000001+09:00\",\"source\":\"10.0.0.1\","
                           "\"port\":16520,\"bytes\":\"QQ==\"}";
const std::string kLine2 = "{\"time\":\"2026-12-08T23:10:05.000002+09:00\",\"source\":\"10.0.0.2\","
                           "\"port\":16529,\"bytes\":\"Qg==\"}";

class CaptureReaderTest : public ::testing::Test {
protected:
    std::string write(const std::string& content)
    {
        return scratch_.write("capture.jsonl", content);
    }
    std::string dir() const { return scratch_.path().string(); }

    ScratchDir scratch_;
};

TEST_F(CaptureReaderTest, EveryRecordInOrderPassingOverBlankLinesAndCarriageReturns)
{
    const auto records =
        monitor::ReadCapture(write(kLine1 + "\r\n\n   \n" + kLine2 /* no final break */));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].bytes, "A");
    EXPECT_EQ(records[1].bytes, "B");
    EXPECT_EQ(records[1].port, 16529);
}

TEST_F(CaptureReaderTest, TheFirstRefusedLineIsNamedWithItsNumber)
{
    const std::string path = write(kLine1 + "\n\n" + kLine2 + "\n{\"time\":1}\n" + kLine1 + "\n");
    try {
        monitor::ReadCapture(path);
        FAIL() << "read a damaged capture";
    } catch (const monitor::CaptureError& e) {
        EXPECT_EQ(e.Message(), path + ":4: no \"source\"");
    }
}

TEST_F(CaptureReaderTest, ALineBeyondTheBoundIsRefusedAndReadingGoesOn)
{
    const std::string huge(monitor::CaptureReader::kMaxLineBytes + 10, 'x');
    monitor::CaptureReader reader(write(huge + "\n" + kLine2 + "\n"));
    const auto first = reader.nextEntry();
    ASSERT_TRUE(first);
    EXPECT_FALSE(first->record);
    EXPECT_EQ(first->line, 1u);
    EXPECT_EQ(first->error, "line longer than 262144 bytes");
    const auto second = reader.nextEntry();
    ASSERT_TRUE(second && second->record);
    EXPECT_EQ(second->line, 2u);
    EXPECT_FALSE(reader.nextEntry());
}

TEST_F(CaptureReaderTest, AFileThatCannotBeReadIsNamed)
{
    EXPECT_THROW(monitor::ReadCapture(dir() + "/missing"), monitor::CaptureError);
    try {
        monitor::ReadCapture(dir());
        FAIL() << "read a directory";
    } catch (const monitor::CaptureError& e) {
        EXPECT_EQ(e.Message(), dir() + ": Is a directory");
    }
}

} // namespace
