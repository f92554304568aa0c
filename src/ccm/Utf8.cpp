#include "ccm/Utf8.h"

namespace ccm {

namespace {

bool inRange(unsigned char byte, unsigned lo, unsigned hi)
{
    return byte >= lo && byte <= hi;
}

} // namespace

std::size_t Utf8CharLength(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const std::size_t left = text.size() - at;
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    // The second byte's range depends on the lead byte; it rules out overlong
    // forms, surrogates and code points above U+10FFFF.
    std::size_t length = 0;
    unsigned lo = 0x80;
    unsigned hi = 0xBF;
    if (inRange(lead, 0xC2, 0xDF)) {
        length = 2;
    } else if (inRange(lead, 0xE0, 0xEF)) {
        length = 3;
        lo = lead == 0xE0 ? 0xA0 : 0x80;
        hi = lead == 0xED ? 0x9F : 0xBF;
    } else if (inRange(lead, 0xF0, 0xF4)) {
        length = 4;
        lo = lead == 0xF0 ? 0x90 : 0x80;
        hi = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (left < length || !inRange(byte(1), lo, hi))
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (!inRange(byte(i), 0x80, 0xBF))
            return 0;
    }
    return length;
}

char32_t Utf8CodePoint(std::string_view text, std::size_t at, std::size_t length)
{
    // The lead byte keeps 7, 5, 4 or 3 bits; each continuation byte 6.
    static constexpr unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t value = static_cast<unsigned char>(text[at]) & kLeadBits[length];
    for (std::size_t i = 1; i < length; ++i)
        value = value << 6 | (static_cast<unsigned char>(text[at + i]) & 0x3F);
    return value;
}

} // namespace ccm
