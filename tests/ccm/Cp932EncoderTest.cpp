#include "ccm/Cp932Encoder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct EncodeCase {
    const char* name;
    std::string utf8;
    std::string cp932;
};

class Cp932EncoderRows : public testing::TestWithParam<EncodeCase> {};

TEST_P(Cp932EncoderRows, Encodes)
{
    ccm::Cp932Encoder encoder;
    EXPECT_EQ(encoder.encode(GetParam().utf8), GetParam().cp932);
}

INSTANTIATE_TEST_SUITE_P(Rows, Cp932EncoderRows,
                         testing::Values(EncodeCase{"Empty", "", ""},
                                         EncodeCase{"Ascii", "<IP>1.2</IP>~\\", "<IP>1.2</IP>~\\"},
                                         EncodeCase{"Kanji", "降雨ON",
                                                    "\x8D\x7E\x89\x4A"
                                                    "ON"},
                                         EncodeCase{"HalfWidthKana", "ｱ", "\xB1"},
                                         EncodeCase{"VendorCharacter", "①", "\x87\x40"},
                                         EncodeCase{"FullWidthTilde", "～", "\x81\x60"},
                                         // Characters outside code page 932 become one "?" each.
                                         EncodeCase{"Euro", "a€b", "a?b"},
                                         EncodeCase{"Emoji", "😀雨", "?\x89\x4A"},
                                         // A language tag the converter would drop silently.
                                         EncodeCase{"LanguageTag",
                                                    "a\xF3\xA0\x80\xAF"
                                                    "b",
                                                    "a?b"},
                                         // Ill-formed UTF-8: every offending byte becomes one "?".
                                         EncodeCase{"StrayByte",
                                                    "a\xFF"
                                                    "b",
                                                    "a?b"},
                                         EncodeCase{"TruncatedAtEnd", "a\xE3\x81", "a??"},
                                         EncodeCase{"Surrogate", "\xED\xA0\x80", "???"},
                                         EncodeCase{"Overlong", "\xC0\xAF", "??"}),
                         [](const testing::TestParamInfo<EncodeCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(Cp932Encoder, ACharacterThatWouldVanishIsNotEncodable)
{
    ccm::Cp932Encoder encoder;
    EXPECT_FALSE(encoder.encodable("\xF3\xA0\x80\xAF"));
    EXPECT_TRUE(encoder.encodable("降雨"));
}

TEST(Cp932Encoder, ARefusedCharacterLeavesTheConverterUsable)
{
    ccm::Cp932Encoder encoder;
    std::string out;
    encoder.encode("€", out);
    encoder.encode("雨", out);
    EXPECT_EQ(out, "\x89\x4A");
}

} // namespace
