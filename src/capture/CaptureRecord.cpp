#include "capture/CaptureRecord.h"

#include "capture/CaptureRecordFields.h"
#include "ccm/Ipv4Text.h"
#include "monitor/JsonObject.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <array>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace capture {

using monitor::JsonObject;

namespace {

using namespace std::chrono;

// Reads exactly `digits` decimal digits at `at`, advancing it.
std::optional<int> Digits(std::string_view text, std::size_t& at, std::size_t digits)
{
    if (at + digits > text.size())
        return std::nullopt;
    int value = 0;
    for (std::size_t end = at + digits; at < end; ++at) {
        if (text[at] < '0' || text[at] > '9')
            return std::nullopt;
        value = value * 10 + (text[at] - '0');
    }
    return value;
}

bool Expect(std::string_view text, std::size_t& at, char c)
{
    if (at >= text.size() || text[at] != c)
        return false;
    ++at;
    return true;
}

// Up to 9 decimals after the point, as microseconds (the rest dropped).
std::optional<microseconds> Fraction(std::string_view text, std::size_t& at)
{
    if (at >= text.size() || text[at] != '.')
        return microseconds(0);
    std::int64_t micros = 0;
    std::size_t count = 0;
    for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++count)
        if (count < 6)
            micros = micros * 10 + (text[at] - '0');
    if (count == 0 || count > 9)
        return std::nullopt;
    for (; count < 6; ++count)
        micros *= 10;
    return microseconds(micros);
}

std::optional<minutes> Offset(std::string_view text, std::size_t& at)
{
    if (Expect(text, at, 'Z'))
        return minutes(0);
    if (at >= text.size() || (text[at] != '+' && text[at] != '-'))
        return std::nullopt;
    const int sign = text[at++] == '-' ? -1 : 1;
    const auto hours = Digits(text, at, 2);
    if (!hours || !Expect(text, at, ':'))
        return std::nullopt;
    const auto mins = Digits(text, at, 2);
    if (!mins || *hours > 23 || *mins > 59)
        return std::nullopt;
    return minutes(sign * (*hours * 60 + *mins));
}

// A JSON string of the bytes in base64, whose letters need no escape.
void AppendBase64(std::string& out, const std::string& bytes)
{
    const QByteArray encoded =
        QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())).toBase64();
    out += '"';
    out.append(encoded.constData(), static_cast<std::size_t>(encoded.size()));
    out += '"';
}

std::optional<std::string> FromBase64(const QString& text)
{
    const auto result =
        QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!result)
        return std::nullopt;
    return result.decoded.toStdString();
}

std::optional<std::uint16_t> Port(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    // The range first: converting a double out of int's range is undefined.
    if (!(number >= 0 && number <= 65535) || number != std::floor(number))
        return std::nullopt;
    return static_cast<std::uint16_t>(number);
}

} // namespace

CaptureTime LocalCaptureTime(system_clock::time_point when)
{
    // The zone's offset changes only on whole seconds, and localtime_r is
    // dear: a receiver asks about thousands of datagrams in the same second,
    // and about each row's first one beside them.
    struct Known {
        bool set = false;
        std::time_t second = 0;
        minutes offset{0};
    };
    thread_local std::array<Known, 2> known;
    thread_local std::size_t older = 0;
    const std::time_t seconds = system_clock::to_time_t(when);
    for (const Known& entry : known)
        if (entry.set && entry.second == seconds)
            return {floor<microseconds>(when), entry.offset};
    std::tm local{};
    localtime_r(&seconds, &local);
    Known& entry = known[older];
    older = 1 - older;
    entry = {true, seconds, duration_cast<minutes>(std::chrono::seconds(local.tm_gmtoff))};
    return {floor<microseconds>(when), entry.offset};
}

std::string FormatCaptureTime(const CaptureTime& time)
{
    const sys_time<microseconds> local = time.instant + time.utcOffset;
    const sys_days day = floor<days>(local);
    const year_month_day date(day);
    const hh_mm_ss clock(local - day);
    const int offset = static_cast<int>(time.utcOffset.count());
    const int offsetAbs = offset < 0 ? -offset : offset;
    const int year = static_cast<int>(date.year());
    if (year < 0 || year > 9999) { // from a capture file's own clock
        char text[64];
        std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%06lld%c%02d:%02d", year,
                      static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                      static_cast<int>(clock.hours().count()),
                      static_cast<int>(clock.minutes().count()),
                      static_cast<int>(clock.seconds().count()),
                      static_cast<long long>(clock.subseconds().count()), offset < 0 ? '-' : '+',
                      offsetAbs / 60, offsetAbs % 60);
        return text;
    }
    // "2026-12-08T23:10:04.123456+09:00", digit by digit: a receiver writes
    // one for each datagram it keeps.
    std::string text(32, '0');
    const auto put = [&text](std::size_t at, std::size_t digits, long long value) {
        for (std::size_t i = at + digits; i > at; value /= 10)
            text[--i] = static_cast<char>('0' + value % 10);
    };
    put(0, 4, year);
    text[4] = '-';
    put(5, 2, static_cast<unsigned>(date.month()));
    text[7] = '-';
    put(8, 2, static_cast<unsigned>(date.day()));
    text[10] = 'T';
    put(11, 2, clock.hours().count());
    text[13] = ':';
    put(14, 2, clock.minutes().count());
    text[16] = ':';
    put(17, 2, clock.seconds().count());
    text[19] = '.';
    put(20, 6, clock.subseconds().count());
    text[26] = offset < 0 ? '-' : '+';
    put(27, 2, offsetAbs / 60);
    text[29] = ':';
    put(30, 2, offsetAbs % 60);
    return text;
}

std::optional<CaptureTime> ParseCaptureTime(std::string_view text)
{
    std::size_t at = 0;
    const auto year = Digits(text, at, 4);
    const bool dateDash = Expect(text, at, '-');
    const auto month = Digits(text, at, 2);
    const bool monthDash = Expect(text, at, '-');
    const auto day = Digits(text, at, 2);
    const bool separator = Expect(text, at, 'T');
    const auto hour = Digits(text, at, 2);
    const bool hourColon = Expect(text, at, ':');
    const auto minute = Digits(text, at, 2);
    const bool minuteColon = Expect(text, at, ':');
    const auto second = Digits(text, at, 2);
    if (!year || !month || !day || !hour || !minute || !second || !dateDash || !monthDash ||
        !separator || !hourColon || !minuteColon || *hour > 23 || *minute > 59 || *second > 59)
        return std::nullopt;
    const year_month_day date{std::chrono::year(*year), std::chrono::month(*month),
                              std::chrono::day(*day)};
    const auto fraction = Fraction(text, at);
    const auto offset = fraction ? Offset(text, at) : std::nullopt;
    if (!date.ok() || !offset || at != text.size())
        return std::nullopt;
    const sys_time<microseconds> local = sys_days(date) + hours(*hour) + minutes(*minute) +
                                         std::chrono::seconds(*second) + *fraction;
    return CaptureTime{local - *offset, *offset};
}

void WriteRecord(JsonObject& object, const CaptureRecord& record)
{
    object.string("time", FormatCaptureTime(record.time));
    object.string("source", record.sourceIp);
    object.integer("source_port", record.sourcePort);
    if (!record.destinationIp.empty())
        object.string("destination", record.destinationIp);
    object.integer("port", record.port);
    object.integer("size", static_cast<std::int64_t>(record.bytes.size()));
    AppendBase64(object.member("bytes"), record.bytes);
    const std::optional<ccm::Decoded>& message = record.decoded.message;
    if (!message) {
        object.null("kind");
        object.string("error", record.decoded.error);
        object.integer("offset", static_cast<std::int64_t>(record.decoded.offset));
        return;
    }
    object.string("kind", KindName(message->kind));
    AppendFields(object.member("fields"), *message);
    std::string& findings = object.member("findings");
    findings += '[';
    for (std::size_t index = 0; index < message->findings.size(); ++index) {
        if (index > 0)
            findings += ',';
        JsonObject finding(findings);
        finding.string("code", ccm::DepartureName(message->findings[index].departure));
        finding.string("detail", message->findings[index].detail);
    }
    findings += ']';
}

std::string ToJsonLine(const CaptureRecord& record)
{
    std::string line;
    // Room for the base64 bytes and the decoded fields: grown once, not
    // doubled half a dozen times.
    line.reserve(256 + record.bytes.size() * 3);
    {
        JsonObject object(line);
        WriteRecord(object, record);
    }
    return line;
}

ParsedCaptureLine ParseCaptureLine(std::string_view line)
{
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray::fromRawData(line.data(), static_cast<qsizetype>(line.size())), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return {std::nullopt, "not JSON: " + parseError.errorString().toStdString() +
                                  " at column " + std::to_string(parseError.offset + 1)};
    if (!document.isObject())
        return {std::nullopt, "not a JSON object"};
    const QJsonObject object = document.object();
    for (const char* key : {"time", "source", "port", "bytes"})
        if (!object.contains(QLatin1StringView(key)))
            return {std::nullopt, std::string("no \"") + key + "\""};
    CaptureRecord record;
    const auto time = ParseCaptureTime(object["time"].toString().toStdString());
    if (!time)
        return {std::nullopt,
                "\"time\" is not a time with offset (2026-12-08T23:10:04.123456+09:00)"};
    record.time = *time;
    if (!object["source"].isString() || object["source"].toString().isEmpty())
        return {std::nullopt, "\"source\" is not an address text"};
    record.sourceIp = object["source"].toString().toStdString();
    const auto port = Port(object["port"]);
    if (!port || *port == 0)
        return {std::nullopt, "\"port\" is not a port 1..65535"};
    record.port = *port;
    if (object.contains(QLatin1StringView("source_port"))) {
        const auto sourcePort = Port(object["source_port"]);
        if (!sourcePort)
            return {std::nullopt, "\"source_port\" is not a port 0..65535"};
        record.sourcePort = *sourcePort;
    }
    if (object.contains(QLatin1StringView("destination"))) {
        const std::string destination = object["destination"].toString().toStdString();
        if (!ccm::ParseIpv4(destination))
            return {std::nullopt, "\"destination\" is not an IPv4 address text"};
        record.destinationIp = destination;
    }
    const auto bytes =
        object["bytes"].isString() ? FromBase64(object["bytes"].toString()) : std::nullopt;
    if (!bytes)
        return {std::nullopt, "\"bytes\" is not base64"};
    record.bytes = *bytes;
    // A size that disagrees means the line was cut or edited: the bytes would be wrong.
    if (object.contains(QLatin1StringView("size")) &&
        object["size"].toDouble(-1) != static_cast<double>(record.bytes.size()))
        return {std::nullopt, "\"size\" is not the length of \"bytes\""};
    record.decoded = ccm::Decode(record.bytes);
    return {std::move(record), {}};
}

} // namespace capture
