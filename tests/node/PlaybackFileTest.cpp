#include "node/PlaybackFile.h"

#include "ScratchDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <string>
#include <sys/stat.h>
#include <variant>
#include <vector>

namespace {

// Reads lines until a read returns nothing; the texts of the lines read.
std::vector<std::string> readAll(node::PlaybackFile& file)
{
    std::vector<std::string> lines;
    node::PlaybackFile::Line line;
    while (file.readLine(line) && lines.size() < 1000)
        lines.emplace_back(line.bytes.data(), line.length);
    return lines;
}

struct ReadCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
};

class PlaybackFileRows : public testing::TestWithParam<ReadCase> {};

TEST_P(PlaybackFileRows, ReadsInTextMode)
{
    ScratchDir dir;
    node::PlaybackFile file;
    ASSERT_TRUE(file.open(dir.write("play.txt", GetParam().bytes)));
    EXPECT_EQ(readAll(file), GetParam().lines);
    EXPECT_TRUE(file.atEnd());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PlaybackFileRows,
    testing::Values(
        ReadCase{"Empty", "", {}}, ReadCase{"Lf", "1\n0\n", {"1\n", "0\n"}},
        ReadCase{"CrLfReadsLikeLf", "1\r\n0\r\n", {"1\n", "0\n"}},
        ReadCase{"EveryCrDropped", "\r1\r2\r", {"12"}},
        ReadCase{"LastLineWithoutLf", "1\n2", {"1\n", "2"}},
        ReadCase{"CtrlZEndsTheFile",
                 "1\n2\x1A"
                 "3\n4\n",
                 {"1\n", "2"}},
        ReadCase{"CtrlZAtStart",
                 "\x1A"
                 "1\n",
                 {}},
        ReadCase{"NulBytesAreKept",
                 std::string("1\0"
                             "2\n",
                             4),
                 {std::string("1\0"
                              "2\n",
                              4)}},
        ReadCase{"LongLineIn127Pieces",
                 std::string(300, '7') + "\n",
                 {std::string(127, '7'), std::string(127, '7'), std::string(46, '7') + "\n"}},
        ReadCase{"ExactlyFullBuffer", std::string(127, '5') + "\n", {std::string(127, '5'), "\n"}}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST(PlaybackFile, RefusesWhatIsNotAnExistingRegularFile)
{
    ScratchDir dir;
    const std::string fifo = (dir.path() / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    node::PlaybackFile file;
    for (const std::string& path : {std::string(), (dir.path() / "missing.txt").string(),
                                    dir.path().string(), fifo, std::string("/dev/null")}) {
        EXPECT_FALSE(file.open(path)) << path;
        EXPECT_FALSE(file.isOpen());
    }
}

TEST(PlaybackFile, CloseIsHarmlessWhenClosedAndEndsTheFile)
{
    ScratchDir dir;
    node::PlaybackFile file;
    file.close();
    ASSERT_TRUE(file.open(dir.write("a.txt", "1\n")));
    file.close();
    file.close();
    EXPECT_FALSE(file.isOpen());
    node::PlaybackFile::Line line;
    EXPECT_FALSE(file.readLine(line));
}

TEST(PlaybackFile, AFailedReadLeavesTheLineAsItWas)
{
    ScratchDir dir;
    node::PlaybackFile file;
    ASSERT_TRUE(file.open(dir.write("a.txt", "42\n")));
    node::PlaybackFile::Line line;
    ASSERT_TRUE(file.readLine(line));
    EXPECT_FALSE(file.readLine(line));
    EXPECT_EQ(std::string(line.bytes.data(), line.length), "42\n");
}

TEST(PlaybackFile, RewindStartsOverEvenAfterCtrlZ)
{
    ScratchDir dir;
    node::PlaybackFile file;
    ASSERT_TRUE(file.open(dir.write("a.txt", "1\n\x1A"
                                             "2\n")));
    EXPECT_EQ(readAll(file), std::vector<std::string>{"1\n"});
    file.rewind();
    EXPECT_FALSE(file.atEnd());
    EXPECT_EQ(readAll(file), std::vector<std::string>{"1\n"});
}

// Another program may go on writing the file: what it appends after the end
// is read by the next read.
TEST(PlaybackFile, ReadsWhatIsAppendedAfterTheEnd)
{
    ScratchDir dir;
    node::PlaybackFile file;
    ASSERT_TRUE(file.open(dir.write("a.txt", "1\n")));
    EXPECT_EQ(readAll(file), std::vector<std::string>{"1\n"});
    dir.append("a.txt", "2\n");
    EXPECT_EQ(readAll(file), std::vector<std::string>{"2\n"});
}

TEST(PlaybackFile, OpeningAnotherFileClosesTheFirst)
{
    ScratchDir dir;
    node::PlaybackFile file;
    ASSERT_TRUE(file.open(dir.write("a.txt", "1\n")));
    ASSERT_TRUE(file.open(dir.write("b.txt", "2\n")));
    EXPECT_EQ(readAll(file), std::vector<std::string>{"2\n"});
}

// Reads the scripted results in turn instead of the file: bytes, or an errno
// to fail with; the end of the file once the script is used up.
node::PlaybackFile::Reader scriptedReader(std::deque<std::variant<std::string, int>> script)
{
    return [script = std::move(script)](int, void* buffer, std::size_t size) mutable -> ssize_t {
        if (script.empty())
            return 0;
        const auto next = std::move(script.front());
        script.pop_front();
        if (const int* error = std::get_if<int>(&next)) {
            errno = *error;
            return -1;
        }
        const std::string& bytes = std::get<std::string>(next);
        const std::size_t n = std::min(size, bytes.size());
        std::memcpy(buffer, bytes.data(), n);
        return static_cast<ssize_t>(n);
    };
}

// A read error half-way through a line loses that line but not the one read
// before, and is told apart from the end; the next read starts afresh.
TEST(PlaybackFile, ReadErrorIsNotTheEnd)
{
    ScratchDir dir;
    node::PlaybackFile file;
    file.setReader(scriptedReader({"1\n2", EIO, "3\n"}));
    ASSERT_TRUE(file.open(dir.write("a.txt", "")));
    node::PlaybackFile::Line line;
    ASSERT_TRUE(file.readLine(line));
    EXPECT_FALSE(file.readLine(line));
    EXPECT_TRUE(file.failed());
    EXPECT_FALSE(file.atEnd());
    EXPECT_EQ(std::string(line.bytes.data(), line.length), "1\n");
    EXPECT_EQ(readAll(file), std::vector<std::string>{"3\n"});
    EXPECT_FALSE(file.failed());
    EXPECT_TRUE(file.atEnd());
}

TEST(PlaybackFile, InterruptedReadIsRetried)
{
    ScratchDir dir;
    node::PlaybackFile file;
    file.setReader(scriptedReader({EINTR, EINTR, "5\n"}));
    ASSERT_TRUE(file.open(dir.write("a.txt", "")));
    EXPECT_EQ(readAll(file), std::vector<std::string>{"5\n"});
    EXPECT_FALSE(file.failed());
}

// The kernel's own EIO: memory at address 0 is never mapped.
TEST(PlaybackFile, KernelReadErrorSetsTheErrorIndicator)
{
    node::PlaybackFile file;
    ASSERT_TRUE(file.open("/proc/self/mem"));
    node::PlaybackFile::Line line;
    EXPECT_FALSE(file.readLine(line));
    EXPECT_TRUE(file.failed());
    EXPECT_FALSE(file.atEnd());
    file.rewind();
    EXPECT_FALSE(file.failed());
}

} // namespace
