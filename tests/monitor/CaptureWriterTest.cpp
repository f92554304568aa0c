#include "monitor/CaptureWriter.h"

#include "runtime/Exception.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdlib.h>
#include <string>

namespace {

namespace fs = std::filesystem;

class CaptureWriterTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "capture-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        path_ = (dir_ / "cap.jsonl").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    static std::string Read(const std::string& path)
    {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path dir_;
    std::string path_;
};

TEST_F(CaptureWriterTest, LinesReachTheFileOnFlushAndAreAppendedToAnEarlierCapture)
{
    {
        monitor::CaptureWriter writer({path_, 0, 5});
        writer.write("{\"a\":1}");
        EXPECT_EQ(Read(path_), "");
        writer.flush();
        EXPECT_EQ(Read(path_), "{\"a\":1}\n");
    }
    monitor::CaptureWriter again({path_, 0, 5});
    again.write("{\"b\":2}");
    again.flush();
    EXPECT_EQ(Read(path_), "{\"a\":1}\n{\"b\":2}\n");
}

TEST_F(CaptureWriterTest, RotationKeepsWholeLinesAndTheNewestFiles)
{
    // Two 9-byte lines fit in 20 bytes, a third starts a new file.
    monitor::CaptureWriter writer({path_, 20, 2});
    for (int i = 0; i < 9; ++i)
        writer.write("line " + std::to_string(i) + "..");
    writer.flush();
    EXPECT_EQ(Read(path_), "line 8..\n");
    EXPECT_EQ(Read(path_ + ".1"), "line 6..\nline 7..\n");
    EXPECT_EQ(Read(path_ + ".2"), "line 4..\nline 5..\n");
    EXPECT_FALSE(fs::exists(path_ + ".3"));
    // A line longer than the limit gets a file of its own.
    writer.write(std::string(50, 'x'));
    writer.write("after");
    writer.flush();
    EXPECT_EQ(Read(path_ + ".1"), std::string(50, 'x') + "\n");
    EXPECT_EQ(Read(path_), "after\n");
}

TEST_F(CaptureWriterTest, WithoutKeptFilesRotationStartsOver)
{
    monitor::CaptureWriter writer({path_, 20, 0});
    for (int i = 0; i < 5; ++i)
        writer.write("line " + std::to_string(i) + "..");
    writer.flush();
    EXPECT_EQ(Read(path_), "line 4..\n");
    EXPECT_FALSE(fs::exists(path_ + ".1"));
}

TEST_F(CaptureWriterTest, FailuresAreReportedWithTheFileAndReason)
{
    // A full disk: the write fails, not the open.
    monitor::CaptureWriter full({"/dev/full", 0, 5});
    full.write("lost");
    try {
        full.flush();
        FAIL() << "a full disk was not reported";
    } catch (const runtime::Exception& e) {
        EXPECT_STREQ(e.what(), "/dev/full: No space left on device");
    }
    EXPECT_THROW(monitor::CaptureWriter({(dir_ / "missing" / "cap").string(), 0, 5}),
                 runtime::Exception);
}

TEST_F(CaptureWriterTest, LargeVolumesAreFlushedWithoutBeingAsked)
{
    monitor::CaptureWriter writer({path_, 0, 5});
    const std::string line(200, 'y');
    for (int i = 0; i < 5000; ++i)
        writer.write(line);
    // Most of a megabyte is on disk before any flush: the buffer stays bounded.
    EXPECT_GT(fs::file_size(path_), 5000u * 201 - 300u * 1024);
}

} // namespace
