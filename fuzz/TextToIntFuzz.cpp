// The spin field's text-to-integer reader, given arbitrary bytes as UTF-8
// field text, against a plain reference written from its documented grammar.
#include "FuzzCheck.h"
#include "widgets/TextToInt.h"

#include <QString>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace {

bool AllOf(const std::string& text, int (*test)(int))
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [test](char c) { return test(c) != 0; });
}

std::string WithoutLeadingZeros(const std::string& digits)
{
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? "0" : digits.substr(first);
}

// Blanks, one optional sign, then either a hexadecimal prefix and at most
// eight significant hex digits (a bit pattern; the sign does not count), or
// decimal digits whose signed value fits 32 bits. Nothing else anywhere.
std::optional<std::int32_t> Reference(const QString& field)
{
    const bool ascii =
        std::all_of(field.begin(), field.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (!ascii)
        return std::nullopt;
    std::string text = field.toStdString();
    text.erase(0, std::min(text.find_first_not_of(' '), text.size()));
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        text.erase(0, 1);
    for (const char* prefix : {"0x", "0X", "$", "x", "X"}) {
        if (!text.starts_with(prefix))
            continue;
        const std::string digits = text.substr(std::string(prefix).size());
        if (!AllOf(digits, std::isxdigit) || WithoutLeadingZeros(digits).size() > 8)
            return std::nullopt;
        return static_cast<std::int32_t>(std::stoul(digits, nullptr, 16));
    }
    if (!AllOf(text, std::isdigit) || WithoutLeadingZeros(text).size() > 10)
        return std::nullopt;
    const long long magnitude = std::stoll(text);
    const long long value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString field =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<std::int32_t> value = widgets::TextToInt(field);
    FUZZ_CHECK(value == Reference(field));
    // What the field shows for a number reads back as that number.
    if (value)
        FUZZ_CHECK(widgets::TextToInt(QString::number(*value)) == value);
    return 0;
}
