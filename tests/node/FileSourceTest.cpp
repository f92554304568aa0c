#include "node/FileSource.h"

#include "ScratchDir.h"
#include "TickFixtures.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using node::Control;

// Plays a file through the file source alone: the values of successive ticks,
// with nullopt for a tick that stopped.
class FileSource : public testing::Test {
protected:
    MemoryPanel panel;
    node::NodeState state;
    ScratchDir dir;
    int stops = 0;

    void play(const std::string& bytes, bool loop = false)
    {
        panel.texts[Control::EditFile] = dir.write("play.txt", bytes);
        if (loop)
            panel.checked.insert(Control::CheckLoop);
    }
    std::optional<std::int32_t> tick()
    {
        return node::FileValue(state, panel, [this] { ++stops; });
    }
    std::vector<std::optional<std::int32_t>> ticks(int count)
    {
        std::vector<std::optional<std::int32_t>> values;
        for (int i = 0; i < count; ++i)
            values.push_back(tick());
        return values;
    }
};

using Values = std::vector<std::optional<std::int32_t>>;

TEST_F(FileSource, PlaysEachLineTimesAHundredThenStopsAtTheEnd)
{
    play("1\n0\n1\n");
    EXPECT_EQ(ticks(4), (Values{100, 0, 100, std::nullopt}));
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(panel.log, std::deque<std::string>{"ファイル終了"});
}

TEST_F(FileSource, LoopPlaysTheFirstLineOnTheTickThatMeetsTheEnd)
{
    play("1\n0\n1\n", true);
    EXPECT_EQ(ticks(7), (Values{100, 0, 100, 100, 0, 100, 100}));
    EXPECT_EQ(stops, 0);
    EXPECT_TRUE(panel.log.empty());
}

struct PlayCase {
    const char* name;
    std::string bytes;
    Values values; // the ticks until and including the stop
};

class FileSourceRows : public FileSource, public testing::WithParamInterface<PlayCase> {};

TEST_P(FileSourceRows, Plays)
{
    play(GetParam().bytes);
    EXPECT_EQ(ticks(static_cast<int>(GetParam().values.size())), GetParam().values);
    EXPECT_EQ(stops, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FileSourceRows,
    testing::Values(
        PlayCase{"CrLf", "1\r\n0\r\n", {100, 0, std::nullopt}},
        PlayCase{"LastLineWithoutBreak", "1\n2", {100, 200, std::nullopt}},
        PlayCase{"Numbers", "-1\n0.9\n+7x\nrain\n\n  3\n", {-100, 0, 700, 0, 0, 300, std::nullopt}},
        PlayCase{"CtrlZ",
                 "1\n\x1A"
                 "1\n1\n",
                 {100, std::nullopt}},
        PlayCase{"Bom",
                 "\xEF\xBB\xBF"
                 "1\n1\n",
                 {0, 100, std::nullopt}},
        PlayCase{"Empty", "", {std::nullopt}},
        // Times 100 wraps in 32 bits: 21474837 * 100 = 2^31 + 52.
        PlayCase{"Wrap", "21474837\n", {INT32_MIN + 52, std::nullopt}}),
    [](const testing::TestParamInfo<PlayCase>& info) { return std::string(info.param.name); });

TEST_F(FileSource, LoopingAnEmptyFileGivesZero)
{
    play("", true);
    EXPECT_EQ(ticks(3), (Values{0, 0, 0}));
    EXPECT_EQ(stops, 0);
}

TEST_F(FileSource, AFileThatCannotBeOpenedStops)
{
    for (const std::string& name :
         {std::string(), (dir.path() / "missing").string(), dir.path().string()}) {
        panel.log.clear();
        panel.texts[Control::EditFile] = name;
        EXPECT_EQ(tick(), std::nullopt);
        EXPECT_EQ(panel.log, std::deque<std::string>{"ファイルが開けません"});
    }
    EXPECT_EQ(stops, 3);
}

TEST_F(FileSource, LongLinesPlayIn127CharacterPieces)
{
    play(std::string(10000, '1') + "\n");
    int played = 0;
    while (tick() && played < 200)
        ++played;
    EXPECT_EQ(played, 79); // 78 full pieces, then the last 94 characters and the break
    EXPECT_EQ(stops, 1);
}

TEST_F(FileSource, BinaryFilePlaysWithoutHarm)
{
    std::string bytes;
    for (int i = 0; i < 4096; ++i)
        bytes += static_cast<char>(i % 256 == 0x1A ? 'z' : i % 256);
    play(bytes);
    int played = 0;
    while (tick() && played < 100)
        ++played;
    EXPECT_LT(played, 100);
    EXPECT_EQ(stops, 1);
}

// The playing file is fixed until it is closed; the new name counts from the
// next opening on.
TEST_F(FileSource, NameChangesWaitForTheNextOpening)
{
    play("1\n1\n");
    EXPECT_EQ(tick(), 100);
    panel.texts[Control::EditFile] = dir.write("other.txt", "0\n");
    EXPECT_EQ(tick(), 100);
    state.playbackFile.close();
    EXPECT_EQ(tick(), 0);
}

TEST_F(FileSource, LinesAppendedWhilePlayingArePlayed)
{
    play("1\n");
    EXPECT_EQ(tick(), 100);
    dir.append("play.txt", "2\n");
    EXPECT_EQ(tick(), 200);
    EXPECT_EQ(tick(), std::nullopt);
}

class FileSourceReadError : public FileSource, public testing::WithParamInterface<bool> {};

// A read error stops with its own line in both modes: without loop it is no
// end of the file, with loop no endless run of zeros.
TEST_P(FileSourceReadError, StopsWithItsOwnLine)
{
    panel.texts[Control::EditFile] = "/proc/self/mem"; // reading at offset 0 fails with EIO
    if (GetParam())
        panel.checked.insert(Control::CheckLoop);
    EXPECT_EQ(tick(), std::nullopt);
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(panel.log, std::deque<std::string>{"ファイルが読めません"});
}

INSTANTIATE_TEST_SUITE_P(LoopOffOn, FileSourceReadError, testing::Bool());

TEST_F(FileSource, ReadErrorAfterTheRewindStops)
{
    int reads = 0;
    state.playbackFile.setReader([&reads](int fd, void* buffer, std::size_t size) -> ssize_t {
        if (++reads < 3)
            return ::read(fd, buffer, size);
        errno = EIO;
        return -1;
    });
    play("1\n", true);
    EXPECT_EQ(ticks(2), (Values{100, std::nullopt}));
    EXPECT_EQ(reads, 3); // the line, the end, the failed read after the rewind
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(panel.log, std::deque<std::string>{"ファイルが読めません"});
}

} // namespace
