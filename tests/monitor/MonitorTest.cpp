#include "monitor/Monitor.h"
#include "MonitorStart.h"

#include "capture/CaptureRecord.h"
#include "capture/CaptureWriter.h"
#include "monitor/RowText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;
using monitor::Clock;

using monitor_test::kStart;

std::string DataMessage(const std::string& type, int room, const std::string& ip)
{
    return "<?xml version=\"1.0\"?><UECS ver=\"1.00-E10\"><DATA type=\"" + type + "\" room=\"" +
           std::to_string(room) + "\" region=\"1\" order=\"1\" priority=\"29\">23.5</DATA><IP>" +
           ip + "</IP></UECS>";
}

struct Shown {
    std::string source;
    bool decoded = false;
    bool hasRow = false;
};

class RecordingView : public monitor::MonitorView {
public:
    void datagram(const capture::CaptureRecord& record, const monitor::Row* row,
                  const monitor::RowFlags&) override
    {
        shown.push_back({record.sourceIp, record.decoded.message.has_value(), row != nullptr});
    }
    void refresh(const monitor::KeyTable&, const monitor::Counts&, Clock::time_point) override {}
    void finish(const monitor::KeyTable&, const monitor::Counts&, Clock::time_point) override {}

    std::vector<Shown> shown;
};

// A datagram arriving at `at` on the monotonic clock, and at `wall` on the
// wall clock (by default as far from its epoch as `at`).
monitor::Datagram From(const std::string& source, std::string_view bytes, Clock::time_point at,
                       std::optional<std::chrono::system_clock::time_point> wall = std::nullopt)
{
    const auto sameTime = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(at.time_since_epoch()));
    return {bytes, source, 16520, 16520, wall.value_or(sameTime), at, "255.255.255.255"};
}

TEST(Monitor, FiltersChooseWhatIsShownWhileTheCaptureKeepsEverything)
{
    char path[] = "/tmp/monitor-capture-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    RecordingView view;
    monitor::KeyFilter filter;
    filter.types = {"WAirTemp"};
    filter.sources = {"10.0.0.1"};
    {
        capture::CaptureWriter capture({path, 0, 5});
        monitor::Monitor monitor(100, filter, view, &capture);
        const std::string wanted = DataMessage("WAirTemp", 1, "10.0.0.1");
        const std::string otherType = DataMessage("WRainfall", 1, "10.0.0.1");
        const std::string garbage = std::string(65507, '<');
        monitor.take(From("10.0.0.1", wanted, kStart));
        monitor.take(From("10.0.0.2", wanted, kStart));
        monitor.take(From("10.0.0.1", otherType, kStart));
        monitor.take(From("10.0.0.1", garbage, kStart));
        monitor.take(From("10.0.0.1",
                          "<?xml version=\"1.0\"?><UECS ver=\"1.00-E10\"><NODESCAN/></UECS>",
                          kStart));
        EXPECT_EQ(monitor.counts().received, 5u);
        EXPECT_EQ(monitor.counts().notDecoded, 1u);
        EXPECT_EQ(monitor.counts().shown, 1u);
        EXPECT_EQ(monitor.table().size(), 1u);
        capture.flush();
    }
    // A type filter hides what has no type, not decoded or a scan.
    ASSERT_EQ(view.shown.size(), 1u);
    EXPECT_TRUE(view.shown[0].hasRow);
    std::ifstream in(path);
    std::vector<capture::ParsedCaptureLine> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(capture::ParseCaptureLine(line));
    std::remove(path);
    ASSERT_EQ(lines.size(), 5u);
    for (const auto& line : lines)
        ASSERT_TRUE(line.record) << line.error;
    EXPECT_EQ(lines[1].record->sourceIp, "10.0.0.2");
    EXPECT_EQ(lines[3].record->bytes.size(), 65507u);
    EXPECT_FALSE(lines[3].record->decoded.message);
}

TEST(Monitor, WithoutKeyFiltersUndecodedDatagramsAreShownAndCounted)
{
    RecordingView view;
    monitor::Monitor monitor(100, {}, view, nullptr);
    for (const std::string& hostile :
         {std::string("\x1b[2J\x1b]0;pwned\x07"), std::string(10000, '<') + std::string(10000, '>'),
          std::string(4000, '\xff'), std::string()})
        monitor.take(From("10.0.0.3", hostile, kStart));
    monitor.take(From("10.0.0.3", DataMessage("cnd", 2, "10.0.0.3"), kStart + 1s));
    EXPECT_EQ(monitor.counts().received, 5u);
    EXPECT_EQ(monitor.counts().notDecoded, 4u);
    ASSERT_EQ(view.shown.size(), 5u);
    EXPECT_FALSE(view.shown[0].decoded);
    EXPECT_TRUE(view.shown[4].hasRow);
    EXPECT_EQ(monitor.table().rows().begin()->first, (monitor::CcmKey{"cnd", 2, 1, 1}));
}

// The literal receiver's verdict follows the row's last datagram, and only
// when the monitor is asked to judge for one.
TEST(Monitor, ALiteralReceiverFlagsTheRowWhileItsLastDatagramWouldBeDropped)
{
    RecordingView view;
    monitor::Monitor literal(100, {}, view, nullptr, ccm::ReceiverProfile::Literal);
    monitor::Monitor tolerant(100, {}, view, nullptr);
    const std::string clean = DataMessage("cnd", 1, "10.0.0.3");
    const std::string spaced = clean + "\n";
    const auto flagged = [](const monitor::Monitor& monitor, Clock::time_point at) {
        const monitor::Row& row = monitor.table().rows().begin()->second;
        return monitor.table().flags(row, at).literalDrop;
    };
    literal.take(From("10.0.0.3", spaced, kStart));
    tolerant.take(From("10.0.0.3", spaced, kStart));
    EXPECT_TRUE(flagged(literal, kStart));
    const monitor::Row& row = literal.table().rows().begin()->second;
    EXPECT_EQ(monitor::FlagsText(literal.table().flags(row, kStart)), "literal-drop");
    EXPECT_NE(literal.table().rows().begin()->second.literalDrop->find("after </UECS>"),
              std::string::npos);
    EXPECT_FALSE(flagged(tolerant, kStart));
    literal.take(From("10.0.0.3", clean, kStart + 1s));
    EXPECT_FALSE(flagged(literal, kStart + 1s));
}

// Receivers expire a CCM by their own monotonic time: a step of this
// machine's wall clock, back an hour or forward a day, changes neither the
// interval nor when the row goes stale.
TEST(Monitor, AgesAndStalenessIgnoreStepsOfTheWallClock)
{
    RecordingView view;
    monitor::Monitor monitor(100, {}, view, nullptr);
    const std::string message = DataMessage("WAirTemp", 1, "10.0.0.1");
    const auto wall = std::chrono::system_clock::time_point(std::chrono::hours(500000));
    const std::vector<std::chrono::system_clock::duration> steps{0s, 1s, -1h, -1h + 1s, 24h};
    for (std::size_t i = 0; i < steps.size(); ++i)
        monitor.take(From("10.0.0.1", message, kStart + i * 1s, wall + steps[i]));
    const monitor::Row& row = monitor.table().rows().begin()->second;
    EXPECT_EQ(row.interval, Clock::duration(1s));
    EXPECT_EQ(row.last, kStart + 4s);
    EXPECT_FALSE(monitor.table().flags(row, kStart + 7s).stale);
    EXPECT_TRUE(monitor.table().flags(row, kStart + 7s + 1ms).stale);
}

} // namespace
