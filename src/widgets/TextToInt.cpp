#include "widgets/TextToInt.h"

namespace widgets {

namespace {

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

bool IsDecimalDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// The digits from `pos` to the end, as a hexadecimal 32-bit pattern.
std::optional<std::int32_t> ReadHex(QStringView text, qsizetype pos)
{
    if (pos == text.size())
        return std::nullopt;
    std::uint64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const int digit = HexDigit(text[pos]);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::optional<std::int32_t> ReadDecimal(QStringView text, qsizetype pos, bool negative)
{
    if (pos == text.size())
        return std::nullopt;
    // One more than INT32_MAX is the magnitude of INT32_MIN.
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        if (!IsDecimalDigit(text[pos]))
            return std::nullopt;
        value = value * 10 + (text[pos].unicode() - u'0');
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

} // namespace

std::optional<std::int32_t> TextToInt(QStringView text)
{
    qsizetype pos = 0;
    while (pos < text.size() && text[pos] == u' ')
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        negative = text[pos] == u'-';
        ++pos;
    }
    if (pos < text.size() && (text[pos] == u'$' || text[pos] == u'x' || text[pos] == u'X'))
        return ReadHex(text, pos + 1);
    if (pos + 1 < text.size() && text[pos] == u'0' &&
        (text[pos + 1] == u'x' || text[pos + 1] == u'X'))
        return ReadHex(text, pos + 2);
    return ReadDecimal(text, pos, negative);
}

} // namespace widgets
