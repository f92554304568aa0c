#include "monitor/LineView.h"
#include "MonitorStart.h"
#include "monitor/RowText.h"
#include "monitor/ScreenView.h"
#include "monitor/TerminalText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

namespace {

using namespace std::chrono_literals;
using monitor::Clock;

using monitor_test::kStart;

// What a view writes, read back as text.
class Written {
public:
    Written() : out_(open_memstream(&data_, &size_)) {}
    ~Written()
    {
        std::fclose(out_);
        std::free(data_);
    }
    std::FILE* file() { return out_; }
    std::string text()
    {
        std::fflush(out_);
        return std::string(data_, size_);
    }

private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* out_;
};

monitor::Update Data(std::string type, std::string value, Clock::time_point at)
{
    monitor::Update update;
    update.key = {std::move(type), 1, 1, 1};
    update.priority = 29;
    update.value = std::move(value);
    update.ipText = "10.0.0.1";
    update.source = "10.0.0.1";
    update.received = at;
    update.seen = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(at.time_since_epoch()));
    return update;
}

// Numbers written with a decimal comma while it lives, as under
// LC_ALL=de_DE.UTF-8: that locale if the system has it, else one made here
// with only its numbers (localedef writes it in a few milliseconds).
class CommaLocale {
public:
    CommaLocale()
    {
        if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr)
            return;
        char directory[] = "/tmp/comma-locale-XXXXXX";
        if (mkdtemp(directory) == nullptr)
            return;
        directory_ = directory;
        const std::string definition = directory_ + "/comma.def";
        std::FILE* source = std::fopen(definition.c_str(), "w");
        std::fputs("LC_NUMERIC\ndecimal_point \",\"\nthousands_sep \".\"\ngrouping 3;3\n"
                   "END LC_NUMERIC\n",
                   source);
        std::fclose(source);
        // Warnings for the categories it leaves out end it with status 1.
        std::string command = "localedef -c -i ";
        command.append(definition).append(" -f ANSI_X3.4-1968 ").append(directory_);
        command.append("/comma >/dev/null 2>&1");
        [[maybe_unused]] const int status = std::system(command.c_str());
        setenv("LOCPATH", directory_.c_str(), 1);
        std::setlocale(LC_NUMERIC, "comma");
    }
    ~CommaLocale()
    {
        std::setlocale(LC_NUMERIC, "C");
        if (!directory_.empty()) {
            unsetenv("LOCPATH");
            std::filesystem::remove_all(directory_);
        }
    }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    // The C library writes 0.5 as "0,5" now.
    static bool active()
    {
        char text[8];
        std::snprintf(text, sizeof text, "%.1f", 0.5);
        return std::string(text) == "0,5";
    }

private:
    std::string directory_;
};

capture::CaptureRecord Record(const monitor::Update& update)
{
    capture::CaptureRecord record;
    // The table's times are monotonic; the capture's wall time is any.
    record.time = capture::LocalCaptureTime(std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            update.received.time_since_epoch())));
    record.sourceIp = update.source;
    record.sourcePort = 16520;
    record.port = 16520;
    record.bytes = "<UECS/>";
    ccm::Decoded decoded;
    decoded.data = ccm::DataContent{update.key.type, 1, 1, 1, 29, update.value, update.ipText};
    record.decoded.message = decoded;
    return record;
}

TEST(ScreenView, FrameFitsTheTerminalAndCountsWhatDoesNotFit)
{
    monitor::KeyTable table(100);
    for (int i = 0; i < 30; ++i) {
        std::string type = "T";
        type += std::to_string(i);
        table.update(Data(type, "\x1b[31m降雨量が非常に多い状態です", kStart));
    }
    Written out;
    monitor::ScreenView view(out.file(), false, "monitor: port 16520");
    const std::string frame = view.frame(table, {30, 0, 0}, kStart + 1s, 10, 60);
    std::vector<std::string> lines;
    for (std::size_t at = 0, next; (next = frame.find('\n', at)) != std::string::npos;
         at = next + 1)
        lines.push_back(frame.substr(at, next - at));
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_NE(lines[1].find("received 30"), std::string::npos);
    EXPECT_NE(lines[1].find("keys 30 of 100"), std::string::npos);
    EXPECT_EQ(lines[9], "… 24 more\x1b[K");
    for (const std::string& line : lines) {
        ASSERT_EQ(line.substr(line.size() - 3), "\x1b[K");
        EXPECT_LE(monitor::TextWidth(line.substr(0, line.size() - 3)), 60u) << line;
        // The only escape sequence is the view's own.
        EXPECT_EQ(line.find('\x1b'), line.size() - 3) << line;
    }
}

TEST(ScreenView, ColourOnlyWhenAskedAndTheScreenIsRestored)
{
    monitor::KeyTable table(10);
    monitor::Update spoofed = Data("cnd", "0", kStart);
    spoofed.ipText = "10.9.9.9";
    table.update(spoofed);
    Written plain;
    {
        monitor::ScreenView view(plain.file(), false, "h");
        view.finish(table, {}, kStart);
    }
    EXPECT_EQ(plain.text().find("\x1b[33m"), std::string::npos);
    // The flags before the counters, so that a narrow terminal still shows them.
    const std::string wide =
        monitor::ScreenView(plain.file(), false, "h").frame(table, {}, kStart, 10, 300);
    ASSERT_NE(wide.find("COUNT"), std::string::npos);
    EXPECT_LT(wide.find("FLAGS"), wide.find("COUNT"));
    Written coloured;
    {
        monitor::ScreenView view(coloured.file(), true, "h");
        view.refresh(table, {}, kStart);
    }
    const std::string text = coloured.text();
    EXPECT_NE(text.find("\x1b[33m"), std::string::npos);
    EXPECT_EQ(text.substr(0, 8), "\x1b[?1049h");
    EXPECT_EQ(text.substr(text.size() - 8), "\x1b[?1049l");
}

TEST(LineView, JsonLinesStayValidAndCarryNoRawControls)
{
    monitor::KeyTable table(10);
    const monitor::Update update = Data("WAirTemp",
                                        "a\xc2\x9b"
                                        "31m\x1b",
                                        kStart);
    const monitor::Row& row = table.update(update);
    Written out;
    monitor::LineView view(out.file(), true);
    view.datagram(Record(update), &row, table.flags(row, kStart));
    capture::CaptureRecord broken = Record(update);
    broken.decoded = {std::nullopt, "a control character", 58};
    view.datagram(broken, nullptr, {});
    const std::string text = out.text();
    EXPECT_EQ(text.find('\x1b'), std::string::npos);
    EXPECT_EQ(text.find("\xc2\x9b"), std::string::npos);
    const std::size_t end = text.find('\n');
    const QJsonObject first =
        QJsonDocument::fromJson(QByteArray::fromStdString(text.substr(0, end))).object();
    EXPECT_EQ(first["fields"].toObject()["value"].toString().toStdString(), "a\xc2\x9b"
                                                                            "31m\x1b");
    EXPECT_EQ(first["kind"].toString(), "data");
    EXPECT_TRUE(first["flags"].toArray().isEmpty());
    const QJsonObject second =
        QJsonDocument::fromJson(QByteArray::fromStdString(text.substr(end + 1))).object();
    EXPECT_TRUE(second["kind"].isNull());
    EXPECT_EQ(second["offset"].toInt(), 58);
}

TEST(LineView, TextLinesEscapeWhatCameFromTheWire)
{
    monitor::KeyTable table(10);
    const monitor::Update update = Data("WAirTemp", "\x1b]0;x\x07", kStart);
    const monitor::Row& row = table.update(update);
    Written out;
    monitor::LineView view(out.file(), false);
    view.datagram(Record(update), &row, table.flags(row, kStart));
    const std::string text = out.text();
    EXPECT_EQ(text.substr(0, 4), "TIME");
    EXPECT_NE(text.find("\\x1b]0;x\\x07"), std::string::npos);
    EXPECT_EQ(text.find('\x1b'), std::string::npos);
}

// monitor --json writes each datagram as its capture line, then the row's
// interval, counters and flags: one shape for one record, readable as a
// capture.
TEST(LineView, JsonLineIsTheCaptureLineWithIntervalCountersAndFlags)
{
    monitor::KeyTable table(10);
    table.update(Data("WAirTemp", "1", kStart));
    const monitor::Update update = Data("WAirTemp", "1", kStart + 250ms);
    const monitor::Row& row = table.update(update);
    capture::CaptureRecord record = Record(update);
    record.decoded.message->findings.push_back({ccm::Departure::TrailingNul, "NUL"});
    Written out;
    monitor::LineView view(out.file(), true);
    view.datagram(record, &row, table.flags(row, update.received));
    std::string line = out.text();
    ASSERT_FALSE(line.empty());
    line.pop_back();
    const std::string capture = capture::ToJsonLine(record);
    ASSERT_EQ(line.substr(0, capture.size() - 1), capture.substr(0, capture.size() - 1));
    const auto seen = [](Clock::time_point at) {
        return capture::FormatCaptureTime(capture::LocalCaptureTime(
            std::chrono::system_clock::time_point(at.time_since_epoch())));
    };
    std::string counters = R"(,"interval":0.25,"datagrams":2,"rate":4,"missed":0,"first_seen":")";
    counters.append(seen(kStart)).append(R"(","last_seen":")").append(seen(update.received));
    EXPECT_EQ(line.substr(capture.size() - 1), counters + R"(","flags":[]})");
    EXPECT_NE(line.find(R"("findings":[{"code":"trailing-nul","detail":"NUL"}])"),
              std::string::npos);
    EXPECT_TRUE(capture::ParseCaptureLine(line).record);
}

// Numbers machines read, and the table's, are the same in every locale.
TEST(LineView, NumbersDoNotFollowTheLocale)
{
    const CommaLocale comma;
    ASSERT_TRUE(CommaLocale::active()) << "no locale with a decimal comma could be made";
    monitor::KeyTable table(10);
    table.update(Data("WAirTemp", "1", kStart));
    const monitor::Update update = Data("WAirTemp", "1", kStart + 303561us);
    const monitor::Row& row = table.update(update);
    Written out;
    monitor::LineView view(out.file(), true);
    view.datagram(Record(update), &row, table.flags(row, update.received));
    EXPECT_NE(out.text().find(R"("interval":0.303561,)"), std::string::npos) << out.text();
    EXPECT_EQ(monitor::DurationText(1500ms), "1.5s");
    EXPECT_EQ(monitor::DurationText(1960ms), "2.0s");
}

TEST(RowText, DurationsReadInTheirLargestUnits)
{
    for (const auto& [duration, text] : std::vector<std::pair<std::optional<Clock::duration>,
                                                             std::string>>{
             {std::nullopt, "-"},
             {0ms, "0ms"},
             {999ms, "999ms"},
             {999600us, "1.0s"},
             {59'949ms, "59.9s"},
             {60'000ms, "1m00s"},
             {3'599'000ms, "59m59s"},
             {3'600'000ms, "1h00m"},
             {std::chrono::hours(100) + 7min, "100h07m"}})
        EXPECT_EQ(monitor::DurationText(duration), text) << text;
}

TEST(RowText, RatesReadPerSecondOrBelowOneAMinute)
{
    for (const auto& [rate, text] :
         std::vector<std::pair<std::optional<double>, std::string>>{{std::nullopt, "-"},
                                                                    {1.0 / 60, "1.0/m"},
                                                                    {0.1, "6.0/m"},
                                                                    {1, "1.0/s"},
                                                                    {12.34, "12.3/s"},
                                                                    {99.96, "100/s"},
                                                                    {50000, "50000/s"}})
        EXPECT_EQ(monitor::RateText(rate), text) << text;
}

} // namespace
