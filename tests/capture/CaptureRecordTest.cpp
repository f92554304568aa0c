// The capture line: written in its fixed key order, read back to the same
// record, and refused with a reason when a required part is missing or wrong.

#include "capture/CaptureRecord.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>

namespace {

using namespace std::chrono;
using capture::CaptureRecord;
using capture::CaptureTime;

CaptureTime At(const char* text)
{
    return *capture::ParseCaptureTime(text);
}

CaptureRecord Record(std::string bytes)
{
    CaptureRecord record;
    record.time = At("2026-12-08T23:10:04.123456+09:00");
    record.sourceIp = "10.0.0.1";
    record.sourcePort = 16520;
    record.port = 16520;
    record.bytes = std::move(bytes);
    record.decoded = ccm::Decode(record.bytes);
    return record;
}

const std::string kData = "<?xml version=\"1.0\"?><UECS ver=\"1.00-E10\"><DATA type=\"WAirTemp\" "
                          "room=\"1\" region=\"2\" order=\"3\" priority=\"15\">23.5</DATA>"
                          "<IP>10.0.0.1</IP></UECS>";

TEST(CaptureTime, WrittenAsLocalTimeWithItsOffset)
{
    const CaptureTime tokyo = At("2026-12-08T23:10:04.000007+09:00");
    EXPECT_EQ(capture::FormatCaptureTime(tokyo), "2026-12-08T23:10:04.000007+09:00");
    const CaptureTime newfoundland{tokyo.instant, minutes(-210)};
    EXPECT_EQ(capture::FormatCaptureTime(newfoundland), "2026-12-08T10:40:04.000007-03:30");
    // The instant is that of UTC 14:10:04.
    EXPECT_EQ(tokyo.instant, At("2026-12-08T14:10:04.000007Z").instant);
    // A day boundary crossed by the offset.
    EXPECT_EQ(capture::FormatCaptureTime({At("2026-12-31T23:30:00Z").instant, minutes(60)}),
              "2027-01-01T00:30:00.000000+01:00");
}

TEST(CaptureTime, YearsOfEveryWidthAsBefore)
{
    using namespace std::chrono;
    const auto at = [](int y, unsigned m, unsigned d) {
        return CaptureTime{sys_days(year_month_day{year(y), month(m), day(d)}), minutes(0)};
    };
    EXPECT_EQ(capture::FormatCaptureTime(at(999, 1, 2)), "0999-01-02T00:00:00.000000+00:00");
    EXPECT_EQ(capture::FormatCaptureTime(at(9999, 12, 31)), "9999-12-31T00:00:00.000000+00:00");
    // Only a capture file's clock goes this far; written whole, not cut.
    EXPECT_EQ(capture::FormatCaptureTime(at(12026, 3, 4)), "12026-03-04T00:00:00.000000+00:00");
}

TEST(CaptureTime, LocalOffsetFollowsTheZoneFromSecondToSecond)
{
    const char* saved = std::getenv("TZ");
    const std::string before = saved != nullptr ? saved : "";
    const auto when = std::chrono::system_clock::time_point(At("2031-05-06T07:08:09Z").instant);
    setenv("TZ", "JST-9", 1);
    tzset();
    EXPECT_EQ(capture::LocalCaptureTime(when).utcOffset, minutes(540));
    setenv("TZ", "UTC0", 1);
    tzset();
    EXPECT_EQ(capture::LocalCaptureTime(when + std::chrono::seconds(1)).utcOffset, minutes(0));
    // A second before 1970 is a second like any other, even as a thread's
    // first question.
    setenv("TZ", "JST-9", 1);
    tzset();
    minutes offset{0};
    std::thread([&offset] {
        offset = capture::LocalCaptureTime(std::chrono::system_clock::time_point(-1s)).utcOffset;
    }).join();
    EXPECT_EQ(offset, minutes(540));
    if (saved != nullptr)
        setenv("TZ", before.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(CaptureTime, ReadsFewerOrMoreDecimalsAndRefusesOtherTexts)
{
    EXPECT_EQ(At("2026-12-08T14:10:04Z").instant, At("2026-12-08T14:10:04.000000Z").instant);
    EXPECT_EQ(At("2026-12-08T14:10:04.5Z").instant, At("2026-12-08T14:10:04.500000Z").instant);
    EXPECT_EQ(At("2026-12-08T14:10:04.123456789Z").instant,
              At("2026-12-08T14:10:04.123456Z").instant);
    for (const char* bad :
         {"", "2026-12-08", "2026-12-08T14:10:04", "2026-12-08 14:10:04Z", "2026-02-30T00:00:00Z",
          "2026-12-08T24:00:00Z", "2026-12-08T14:10:04.Z", "2026-12-08T14:10:04+0900",
          "2026-12-08T14:10:04Zjunk", "2026-12-08T14:10:04.1234567890Z"})
        EXPECT_FALSE(capture::ParseCaptureTime(bad)) << bad;
}

TEST(CaptureTime, LocalTimeKeepsMicrosecondsAndTheZonesOffset)
{
    const auto when = sys_days(2026y / 12 / 8) + 14h + 10min + 4s + 123456789ns;
    const CaptureTime local = capture::LocalCaptureTime(when);
    EXPECT_EQ(local.instant.time_since_epoch() % 1s, 123456us);
    const std::time_t seconds = system_clock::to_time_t(when);
    std::tm tm{};
    localtime_r(&seconds, &tm);
    EXPECT_EQ(local.utcOffset, duration_cast<minutes>(std::chrono::seconds(tm.tm_gmtoff)));
}

TEST(CaptureLine, DataMessageInTheFixedKeyOrder)
{
    const std::string line = capture::ToJsonLine(Record(kData));
    const std::string head =
        "{\"time\":\"2026-12-08T23:10:04.123456+09:00\",\"source\":\"10.0.0.1\","
        "\"source_port\":16520,\"port\":16520,\"size\":" +
        std::to_string(kData.size()) + ",\"bytes\":\"";
    EXPECT_EQ(line.substr(0, head.size()), head);
    const std::string tail = "\",\"kind\":\"data\",\"fields\":{\"type\":\"WAirTemp\",\"room\":1,"
                             "\"region\":2,\"order\":3,\"priority\":15,\"value\":\"23.5\","
                             "\"ip\":\"10.0.0.1\"},\"findings\":[]}";
    ASSERT_GT(line.size(), tail.size());
    EXPECT_EQ(line.substr(line.size() - tail.size()), tail);
    EXPECT_EQ(line.find('\n'), std::string::npos);
}

TEST(CaptureLine, UndecodableDatagramHasErrorAndOffsetForFields)
{
    const std::string line = capture::ToJsonLine(Record("\xff\xfe\x01garbage\n"));
    EXPECT_NE(line.find("\"kind\":null,\"error\":\""), std::string::npos) << line;
    EXPECT_NE(line.find("\",\"offset\":"), std::string::npos) << line;
    EXPECT_EQ(line.find("\"fields\""), std::string::npos) << line;
}

TEST(CaptureLine, ReadsBackWhatWasWritten)
{
    // Any byte at all, a departure, and a datagram that does not decode.
    std::string everyByte;
    for (int byte = 0; byte < 256; ++byte)
        everyByte += static_cast<char>(byte);
    std::string withFindings = kData;
    withFindings.replace(withFindings.find("room=\"1\" region=\"2\""), 19,
                         "region=\"2\" room=\"1\"");
    for (const std::string& bytes : {kData, withFindings, everyByte, std::string()}) {
        CaptureRecord record = Record(bytes);
        record.time = {record.time.instant + 999999us, minutes(-210)};
        record.sourcePort = 50123;
        record.destinationIp = bytes.empty() ? "" : "192.168.1.255";
        record.port = 16529;
        const std::string line = capture::ToJsonLine(record);
        const capture::ParsedCaptureLine parsed = capture::ParseCaptureLine(line);
        ASSERT_TRUE(parsed.record) << parsed.error << '\n' << line;
        EXPECT_EQ(parsed.record->time, record.time);
        EXPECT_EQ(parsed.record->sourceIp, "10.0.0.1");
        EXPECT_EQ(parsed.record->sourcePort, 50123);
        EXPECT_EQ(parsed.record->destinationIp, record.destinationIp);
        EXPECT_EQ(parsed.record->port, 16529);
        EXPECT_EQ(parsed.record->bytes, bytes);
        EXPECT_EQ(capture::ToJsonLine(*parsed.record), line);
    }
}

TEST(CaptureLine, TextsThatAreNotUtf8StayValidJson)
{
    CaptureRecord record = Record(kData);
    record.decoded.message->data->value = "\x82\xa0\"\\\x01";
    const std::string line = capture::ToJsonLine(record);
    EXPECT_NE(line.find("\"value\":\"\xef\xbf\xbd\xef\xbf\xbd\\\"\\\\\\u0001\""), std::string::npos)
        << line;
    EXPECT_TRUE(capture::ParseCaptureLine(line).record);
}

TEST(CaptureLine, LaterVersionsKeysArePassedOver)
{
    const auto parsed = capture::ParseCaptureLine(
        "{\"interface\":\"eth0\",\"time\":\"2026-12-08T23:10:04.1+09:00\",\"source\":\"10.0.0.9\","
        "\"port\":16521,\"bytes\":\"PFNFQVJDSC8+\",\"ttl\":64}");
    ASSERT_TRUE(parsed.record) << parsed.error;
    EXPECT_EQ(parsed.record->bytes, "<SEARCH/>");
    EXPECT_EQ(parsed.record->sourcePort, 0);
}

TEST(CaptureLine, RefusedWithTheReason)
{
    const std::string time = "\"time\":\"2026-12-08T23:10:04.123456+09:00\"";
    const std::string source = "\"source\":\"10.0.0.1\"";
    const std::string port = "\"port\":16520";
    const std::string bytes = "\"bytes\":\"QUJD\"";
    const auto error = [](const std::string& line) {
        const auto parsed = capture::ParseCaptureLine(line);
        EXPECT_FALSE(parsed.record) << line;
        return parsed.error;
    };
    EXPECT_EQ(error("{" + source + "," + port + "," + bytes + "}"), "no \"time\"");
    EXPECT_EQ(error("{" + time + "," + port + "," + bytes + "}"), "no \"source\"");
    EXPECT_EQ(error("{" + time + "," + source + "," + bytes + "}"), "no \"port\"");
    EXPECT_EQ(error("{" + time + "," + source + "," + port + "}"), "no \"bytes\"");
    const std::string base = "{" + time + "," + source + "," + port + ",";
    EXPECT_EQ(error(base + "\"bytes\":\"QU*D\"}"), "\"bytes\" is not base64");
    EXPECT_EQ(error(base + bytes + ",\"destination\":\"10.0.0.256\"}"),
              "\"destination\" is not an IPv4 address text");
    EXPECT_EQ(error(base + bytes + ",\"size\":4}"), "\"size\" is not the length of \"bytes\"");
    EXPECT_EQ(error("{\"time\":\"yesterday\"," + source + "," + port + "," + bytes + "}"),
              "\"time\" is not a time with offset (2026-12-08T23:10:04.123456+09:00)");
    EXPECT_EQ(error("{" + time + "," + source + ",\"port\":70000," + bytes + "}"),
              "\"port\" is not a port 1..65535");
    EXPECT_EQ(error("{" + time + "," + source + ",\"port\":\"16520\"," + bytes + "}"),
              "\"port\" is not a port 1..65535");
    for (const char* port : {"1e300", "16520.5", "0"})
        EXPECT_EQ(error("{" + time + "," + source + ",\"port\":" + port + "," + bytes + "}"),
                  "\"port\" is not a port 1..65535")
            << port;
    EXPECT_EQ(error(base + bytes + ",\"source_port\":-1}"),
              "\"source_port\" is not a port 0..65535");
    EXPECT_EQ(error("[1,2]"), "not a JSON object");
    EXPECT_EQ(error(base + bytes).substr(0, 9), "not JSON:");
}

} // namespace
