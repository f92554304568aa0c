// The CCM message and its Shift-JIS encoding, given arbitrary bytes as the
// type and IP texts and arbitrary numbers as the other fields.
#include "FuzzCheck.h"
#include "ccm/CcmMessage.h"
#include "ccm/Cp932Encoder.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace std::string_view_literals;

constexpr auto kHead = R"(<?xml version="1.0"?><UECS ver="1.00-E10"><DATA type=")"sv;
constexpr auto kTail = "</IP></UECS>"sv;
// The fixed text around the five numbers, and the widest a number can be.
constexpr std::size_t kFixedChars = kHead.size() + R"(" room="" region="" order="")"sv.size() +
                                    R"( priority="">)"sv.size() + "</DATA><IP>"sv.size() +
                                    kTail.size();
constexpr std::size_t kWidestNumber = 11; // -2147483648
// Each character of the two cut texts takes at most two bytes on the wire.
constexpr std::size_t kWireBound =
    kFixedChars + 5 * kWidestNumber + 2 * (ccm::kTypeMaxChars + ccm::kIpMaxChars);
static_assert(kFixedChars == 118);
static_assert(kWireBound <= 1024, "the message must fit its working area");

// Length of the well-formed UTF-8 character at the start of `text`, or 0.
// Decodes the code point and requires the shortest form, no surrogate and
// nothing above U+10FFFF.
std::size_t ReferenceCharLength(std::string_view text)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    char32_t point = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        point = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        point = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        point = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        point = point << 6 | (next & 0x3F);
    }
    constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < kShortest[length] || (point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF)
        return 0;
    return length;
}

// The text's characters; a byte outside any well-formed character is one
// character of its own, marked invalid.
struct Utf8Char {
    std::string_view bytes;
    bool valid;
};
std::vector<Utf8Char> Utf8Chars(std::string_view text)
{
    std::vector<Utf8Char> chars;
    while (!text.empty()) {
        const std::size_t length = ReferenceCharLength(text);
        chars.push_back({text.substr(0, std::max<std::size_t>(length, 1)), length != 0});
        text.remove_prefix(chars.back().bytes.size());
    }
    return chars;
}

std::string_view FirstChars(std::string_view text, std::size_t count)
{
    const auto chars = Utf8Chars(text);
    if (chars.size() <= count)
        return text;
    return text.substr(0, static_cast<std::size_t>(chars[count].bytes.data() - text.data()));
}

bool IsLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool IsTrailByte(unsigned char b)
{
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// Shift-JIS bytes cut into characters; a lead byte without its trail byte
// fails the property.
std::vector<std::string_view> Cp932Chars(std::string_view bytes)
{
    std::vector<std::string_view> chars;
    while (!bytes.empty()) {
        std::size_t length = 1;
        if (IsLeadByte(static_cast<unsigned char>(bytes[0]))) {
            FUZZ_CHECK(bytes.size() >= 2 && IsTrailByte(static_cast<unsigned char>(bytes[1])));
            length = 2;
        }
        chars.push_back(bytes.substr(0, length));
        bytes.remove_prefix(length);
    }
    return chars;
}

bool IsControlOrDelete(unsigned char b)
{
    return b < 0x20 || b == 0x7F;
}

// Character for character: ASCII stays itself, a malformed byte becomes "?",
// and any other character becomes "?" or a Shift-JIS character that is no
// control byte, so the encoder never makes a NUL or a line break of its own.
std::string CheckedEncoding(ccm::Cp932Encoder& encoder, std::string_view utf8)
{
    const std::string wire = encoder.encode(utf8);
    const auto in = Utf8Chars(utf8);
    const auto out = Cp932Chars(wire);
    FUZZ_CHECK(out.size() == in.size());
    // encodable() says whether the encoder replaced anything.
    bool replaced = false;
    for (std::size_t i = 0; i < in.size(); ++i)
        replaced = replaced || (out[i] == "?" && in[i].bytes != "?");
    FUZZ_CHECK(encoder.encodable(utf8) == !replaced);
    for (std::size_t i = 0; i < in.size(); ++i) {
        const auto lead = static_cast<unsigned char>(in[i].bytes[0]);
        if (lead < 0x80)
            FUZZ_CHECK(out[i] == in[i].bytes);
        else if (!in[i].valid)
            FUZZ_CHECK(out[i] == "?");
        else
            FUZZ_CHECK(!IsControlOrDelete(static_cast<unsigned char>(out[i][0])));
    }
    return wire;
}

std::size_t NulsAndLineBreaks(std::string_view bytes)
{
    return static_cast<std::size_t>(std::count_if(
        bytes.begin(), bytes.end(), [](char c) { return c == '\0' || c == '\n' || c == '\r'; }));
}

// The documented format string filled in, the texts cut to the panel's limits.
std::string ReferenceMessage(const ccm::CcmFields& f, std::string_view type, std::string_view ip)
{
    char numbers[160];
    std::snprintf(numbers, sizeof numbers, R"(" room="%d" region="%d" order="%d" priority="%d">%d)",
                  f.room, f.region, f.order, f.priority, f.data);
    std::string text(kHead);
    text += type;
    text += numbers;
    text += "</DATA><IP>";
    text += ip;
    text += kTail;
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static ccm::Cp932Encoder encoder;
    FuzzedDataProvider input(data, size);
    ccm::CcmFields fields;
    fields.room = input.ConsumeIntegral<std::int32_t>();
    fields.region = input.ConsumeIntegral<std::int32_t>();
    fields.order = input.ConsumeIntegral<std::int32_t>();
    fields.priority = input.ConsumeIntegral<std::int32_t>();
    fields.data = input.ConsumeIntegral<std::int32_t>();
    const std::string type = input.ConsumeRandomLengthString(4 * ccm::kTypeMaxChars);
    const std::string ip = input.ConsumeRemainingBytesAsString();
    fields.type = type;
    fields.ip = ip;

    CheckedEncoding(encoder, type);
    CheckedEncoding(encoder, ip);

    const std::string_view cutType = FirstChars(type, ccm::kTypeMaxChars);
    const std::string_view cutIp = FirstChars(ip, ccm::kIpMaxChars);
    const std::string text = ccm::FormatCcmMessage(fields);
    FUZZ_CHECK(text == ReferenceMessage(fields, cutType, cutIp));

    const std::string wire = CheckedEncoding(encoder, text);
    FUZZ_CHECK(wire.size() <= kWireBound);
    FUZZ_CHECK(wire.substr(0, kHead.size()) == kHead && wire.ends_with(kTail));
    FUZZ_CHECK(NulsAndLineBreaks(wire) == NulsAndLineBreaks(cutType) + NulsAndLineBreaks(cutIp));
    return 0;
}
