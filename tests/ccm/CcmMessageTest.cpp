#include "ccm/CcmMessage.h"
#include "ccm/Cp932Encoder.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

ccm::CcmFields defaults()
{
    ccm::CcmFields fields;
    fields.type = "WRainfall";
    fields.room = 1;
    fields.region = 1;
    fields.order = 1;
    fields.priority = 29;
    fields.data = 0;
    fields.ip = "192.168.1.1";
    return fields;
}

TEST(CcmMessage, DefaultsGiveTheReferenceText)
{
    EXPECT_EQ(ccm::FormatCcmMessage(defaults()),
              R"(<?xml version="1.0"?><UECS ver="1.00-E10"><DATA type="WRainfall" room="1" )"
              R"(region="1" order="1" priority="29">0</DATA><IP>192.168.1.1</IP></UECS>)");
}

TEST(CcmMessage, FieldsGoToTheirPlacesInOrder)
{
    ccm::CcmFields fields = defaults();
    fields.room = 127;
    fields.region = 0;
    fields.order = 30000;
    fields.priority = -5;
    fields.data = 1;
    fields.ip = "";
    EXPECT_EQ(ccm::FormatCcmMessage(fields),
              R"(<?xml version="1.0"?><UECS ver="1.00-E10"><DATA type="WRainfall" room="127" )"
              R"(region="0" order="30000" priority="-5">1</DATA><IP></IP></UECS>)");
}

TEST(CcmMessage, TextsAreInsertedUnescaped)
{
    ccm::CcmFields fields = defaults();
    fields.type = R"(a"<&b)";
    fields.ip = "not an address";
    const std::string text = ccm::FormatCcmMessage(fields);
    EXPECT_NE(text.find(R"(type="a"<&b" room)"), std::string::npos);
    EXPECT_NE(text.find("<IP>not an address</IP>"), std::string::npos);
}

TEST(CcmMessage, FormattingReplacesThePreviousText)
{
    std::string out = "left over";
    ccm::FormatCcmMessage(defaults(), out);
    EXPECT_EQ(out, ccm::FormatCcmMessage(defaults()));
}

struct CutCase {
    std::string type;
    std::string ip;
    std::string expectedType;
    std::string expectedIp;
};

class CcmMessageCut : public testing::TestWithParam<CutCase> {};

// Texts over the panel's limits (19 and 24 characters) are cut to them,
// counting characters, not bytes.
TEST_P(CcmMessageCut, TextsAreCutToThePanelsLimits)
{
    ccm::CcmFields fields = defaults();
    fields.type = GetParam().type;
    fields.ip = GetParam().ip;
    const std::string text = ccm::FormatCcmMessage(fields);
    EXPECT_NE(text.find("type=\"" + GetParam().expectedType + "\" room"), std::string::npos)
        << text;
    EXPECT_NE(text.find("<IP>" + GetParam().expectedIp + "</IP>"), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CcmMessageCut,
    testing::Values(CutCase{std::string(19, 't'), std::string(24, 'i'), std::string(19, 't'),
                            std::string(24, 'i')},
                    CutCase{std::string(20, 't'), std::string(25, 'i'), std::string(19, 't'),
                            std::string(24, 'i')},
                    CutCase{"雨雨雨雨雨雨雨雨雨雨雨雨雨雨雨雨雨雨雨雨雨", "",
                            "雨雨雨雨雨雨雨雨雨雨雨雨雨雨雨雨雨雨雨", ""},
                    // A stray byte counts as one character, as it is sent as one "?".
                    CutCase{std::string(30, '\x80'), "", std::string(19, '\x80'), ""}));

// Whatever the texts and numbers, the wire form stays inside the 1024-byte
// working area (1023 bytes and the terminating NUL).
TEST(CcmMessage, WireFormFitsTheWorkingAreaForAnyInput)
{
    ccm::Cp932Encoder encoder;
    const std::string hugeKanji = [] {
        std::string s;
        for (int i = 0; i < 5000; ++i)
            s += "雨";
        return s;
    }();
    for (const std::string& text : {hugeKanji, std::string(10000, '\xFF'), std::string(10000, 'x'),
                                    std::string(10000, '\x80')}) {
        ccm::CcmFields fields{text, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, text};
        const std::string wire = encoder.encode(ccm::FormatCcmMessage(fields));
        EXPECT_LE(wire.size(), 1023u);
        EXPECT_EQ(wire.find('\0'), std::string::npos);
    }
}

} // namespace
