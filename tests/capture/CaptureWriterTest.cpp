#include "capture/CaptureWriter.h"

#include "runtime/Exception.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sched.h>
#include <sstream>
#include <stdlib.h>
#include <string>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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
        capture::CaptureWriter writer({path_, 0, 5});
        writer.write("{\"a\":1}");
        EXPECT_EQ(Read(path_), "");
        writer.flush();
        EXPECT_EQ(Read(path_), "{\"a\":1}\n");
    }
    capture::CaptureWriter again({path_, 0, 5});
    again.write("{\"b\":2}");
    again.flush();
    EXPECT_EQ(Read(path_), "{\"a\":1}\n{\"b\":2}\n");
}

TEST_F(CaptureWriterTest, RotationKeepsWholeLinesAndTheNewestFiles)
{
    // Two 9-byte lines fit in 20 bytes, a third starts a new file.
    capture::CaptureWriter writer({path_, 20, 2});
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
    capture::CaptureWriter writer({path_, 20, 0});
    for (int i = 0; i < 5; ++i)
        writer.write("line " + std::to_string(i) + "..");
    writer.flush();
    EXPECT_EQ(Read(path_), "line 4..\n");
    EXPECT_FALSE(fs::exists(path_ + ".1"));
}

TEST_F(CaptureWriterTest, FailuresAreReportedWithTheFileAndReason)
{
    // A full disk: the write fails, not the open.
    capture::CaptureWriter full({"/dev/full", 0, 5});
    full.write("lost");
    try {
        full.flush();
        FAIL() << "a full disk was not reported";
    } catch (const runtime::Exception& e) {
        EXPECT_STREQ(e.what(), "/dev/full: No space left on device");
    }
    EXPECT_THROW(capture::CaptureWriter({(dir_ / "missing" / "cap").string(), 0, 5}),
                 runtime::Exception);
}

// What a capture holds after writers filled a disk of `bytes`: each line of
// `lines` is written by a writer of its own run (a restarted monitor), which
// goes on until the disk refuses it. The disk is a tmpfs in a mount namespace
// of a child process, so nothing of the machine's is filled or mounted.
std::string AfterFullDisk(const std::string& dir, int bytes, const std::vector<std::string>& lines)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        const std::string size = "size=" + std::to_string(bytes);
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", dir.c_str(), "tmpfs", 0, size.c_str()) != 0)
            ::_exit(3);
        const std::string path = dir + "/cap.jsonl";
        for (const std::string& line : lines) {
            try {
                capture::CaptureWriter writer({path, 0, 5});
                for (int i = 0; i < 100000; ++i) {
                    writer.write(line);
                    writer.flush();
                }
            } catch (const runtime::Exception&) {
            }
        }
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        const std::string content = text.str();
        const bool whole = ::write(pipeFds[1], content.data(), content.size()) ==
                           static_cast<ssize_t>(content.size());
        ::_exit(whole ? 0 : 4);
    }
    ::close(pipeFds[1]);
    std::string content;
    char block[4096];
    for (ssize_t got; (got = ::read(pipeFds[0], block, sizeof block)) > 0;)
        content.append(block, static_cast<std::size_t>(got));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? content : "child failed";
}

TEST_F(CaptureWriterTest, AFullDiskLeavesOnlyWholeLines)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a small disk needs root";
    // 99 bytes and a line break: a 64 KiB disk fills in the middle of a line,
    // and after a restart the second writer's first line does not fit either.
    const std::string first(99, 'a');
    const std::string second(99, 'b');
    const std::string content = AfterFullDisk(dir_.string(), 64 * 1024, {first, second});
    ASSERT_GT(content.size(), 60000u) << content.substr(0, 200);
    ASSERT_EQ(content.size() % 100, 0u);
    for (std::size_t at = 0; at < content.size(); at += 100)
        ASSERT_TRUE(content.compare(at, 100, first + "\n") == 0 ||
                    content.compare(at, 100, second + "\n") == 0)
            << "at " << at;
}

TEST_F(CaptureWriterTest, AFileEndingInsideALineIsAppendedToOnAFreshLine)
{
    {
        std::ofstream(path_, std::ios::binary) << "{\"a\":1}\n{\"torn";
    }
    capture::CaptureWriter writer({path_, 0, 5});
    writer.write("{\"b\":2}");
    writer.flush();
    EXPECT_EQ(Read(path_), "{\"a\":1}\n{\"torn\n{\"b\":2}\n");
}

TEST_F(CaptureWriterTest, LargeVolumesAreFlushedWithoutBeingAsked)
{
    capture::CaptureWriter writer({path_, 0, 5});
    const std::string line(200, 'y');
    for (int i = 0; i < 5000; ++i)
        writer.write(line);
    // Most of a megabyte is on disk before any flush: the buffer stays bounded.
    EXPECT_GT(fs::file_size(path_), 5000u * 201 - 300u * 1024);
}

} // namespace
