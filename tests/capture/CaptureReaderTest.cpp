// Reading a capture file: every record in order, or the first refused line
// named as FILE:LINE, lines bounded in length, and a torn last line told
// apart from a damaged one.

#include "capture/CaptureReader.h"
#include "capture/OpenCapture.h"

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
    capture::CaptureReader reader(write(kLine1 + "\r\n\n   \n" + kLine2 /* no final break */));
    const auto first = reader.next();
    const auto second = reader.next();
    ASSERT_TRUE(first && first->record && second && second->record);
    EXPECT_EQ(first->record->bytes, "A");
    EXPECT_EQ(second->record->bytes, "B");
    EXPECT_EQ(second->record->port, 16529);
    EXPECT_EQ(second->number, 4u);
    EXPECT_FALSE(second->torn);
    EXPECT_FALSE(reader.next());
    EXPECT_EQ(capture::CheckCapture(reader.name(), capture::UecsPorts(), 0).records, 2u);
}

TEST_F(CaptureReaderTest, ATornLastLineIsPassedOverAndADamagedOneIsNot)
{
    // A full disk cuts the last line short: no line break after it.
    const std::string torn = kLine1 + "\n" + kLine2 + "\n" + kLine1.substr(0, 30);
    const capture::CaptureCheck checked =
        capture::CheckCapture(write(torn), capture::UecsPorts(), 0);
    EXPECT_EQ(checked.records, 2u);
    EXPECT_EQ(checked.tornLine, 3u);
    capture::CaptureReader reader(write(kLine1.substr(0, 30) + "\n" + kLine1 + "\n"));
    const auto damaged = reader.next();
    ASSERT_TRUE(damaged);
    EXPECT_FALSE(damaged->record);
    EXPECT_FALSE(damaged->torn);
    EXPECT_THROW(capture::CheckCapture(reader.name(), capture::UecsPorts(), 0),
                 capture::CaptureError);
}

TEST_F(CaptureReaderTest, TheCheckStopsAtTheLimit)
{
    // The damaged third line lies beyond the two records asked for.
    const std::string path = write(kLine1 + "\n" + kLine2 + "\n{\"time\":1}\n");
    EXPECT_EQ(capture::CheckCapture(path, capture::UecsPorts(), 2).records, 2u);
    EXPECT_THROW(capture::CheckCapture(path, capture::UecsPorts(), 3), capture::CaptureError);
}

TEST_F(CaptureReaderTest, TheFirstRefusedLineIsNamedWithItsNumber)
{
    const std::string path = write(kLine1 + "\n\n" + kLine2 + "\n{\"time\":1}\n" + kLine1 + "\n");
    try {
        capture::CheckCapture(path, capture::UecsPorts(), 0);
        FAIL() << "read a damaged capture";
    } catch (const capture::CaptureError& e) {
        EXPECT_EQ(e.Message(), path + ":4: no \"source\"");
    }
}

TEST_F(CaptureReaderTest, ALineBeyondTheBoundIsRefusedAndReadingGoesOn)
{
    const std::string huge(capture::CaptureReader::kMaxLineBytes + 10, 'x');
    capture::CaptureReader reader(write(huge + "\n" + kLine2 + "\n"));
    const auto first = reader.next();
    ASSERT_TRUE(first);
    EXPECT_FALSE(first->record);
    EXPECT_EQ(first->number, 1u);
    EXPECT_EQ(first->error, "line longer than 262144 bytes");
    const auto second = reader.next();
    ASSERT_TRUE(second && second->record);
    EXPECT_EQ(second->number, 2u);
    EXPECT_FALSE(reader.next());
}

TEST_F(CaptureReaderTest, AFileThatCannotBeReadIsNamed)
{
    // Neither a regular file nor a pipe: a device never ends.
    for (const std::string& path : {dir() + "/missing", dir(), std::string("/dev/zero")}) {
        try {
            capture::CaptureReader reader(path);
            FAIL() << "opened " << path;
        } catch (const capture::CaptureError& e) {
            EXPECT_EQ(e.Message(),
                      path + (path == dir() + "/missing" ? ": No such file or directory"
                                                         : ": is not a regular file or a pipe"));
        }
    }
}

} // namespace
