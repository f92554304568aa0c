#include "ccm/DeclaredEncoding.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace ccm {

namespace {

bool SameLetters(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

Encoding DeclaredEncoding(const xml::Document& document)
{
    // The names IANA registers for the two, and the ones senders write anyway.
    constexpr std::array<std::string_view, 8> kShiftJis{
        "Shift_JIS", "Shift-JIS", "SJIS", "x-sjis", "CP932", "MS932", "Windows-31J", "MS_Kanji"};
    constexpr std::array<std::string_view, 2> kUtf8{"UTF-8", "UTF8"};
    for (std::uint16_t i = 0; i < document.declarationAttributes; ++i) {
        const xml::Attribute& attribute = document.attributes[i];
        if (attribute.name != "encoding")
            continue;
        const auto named = [&](std::string_view name) {
            return SameLetters(name, attribute.value);
        };
        if (std::ranges::any_of(kShiftJis, named))
            return Encoding::ShiftJis;
        if (std::ranges::any_of(kUtf8, named))
            return Encoding::Utf8;
    }
    return Encoding::Unknown;
}

const char* EncodingName(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8:
        return "UTF-8";
    case Encoding::ShiftJis:
        return "Shift-JIS";
    case Encoding::Unknown:
        break;
    }
    return "unknown";
}

} // namespace ccm
