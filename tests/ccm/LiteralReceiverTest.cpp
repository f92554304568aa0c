// What a literal receiver takes: one row per rule it applies, each row
// breaking that rule alone, and the messages this program's node sends.

#include "ccm/LiteralReceiver.h"
#include "ccm/CcmMessage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kHead = R"(<?xml version="1.0"?><UECS ver="1.00-E10">)";
const std::string kData = R"(<DATA type="InAirTemp" room="1" region="2" order="3" priority="15">)";
const std::string kMessage = kHead + kData + "23.5</DATA><IP>10.0.0.1</IP></UECS>";

struct Row {
    const char* name;
    std::string datagram;
    // Empty: taken.
    std::string rule;
};

std::ostream& operator<<(std::ostream& out, const Row& row)
{
    return out << row.name;
}

class LiteralReceiverRules : public testing::TestWithParam<Row> {};

TEST_P(LiteralReceiverRules, RefusesByTheFirstRuleBroken)
{
    const auto refusal = ccm::LiteralReceiverRefusal(GetParam().datagram);
    if (GetParam().rule.empty()) {
        EXPECT_FALSE(refusal) << refusal->reason;
        return;
    }
    ASSERT_TRUE(refusal);
    EXPECT_EQ(ccm::LiteralRuleName(refusal->rule), GetParam().rule) << refusal->reason;
    EXPECT_EQ(refusal->reason.rfind("at byte ", 0), 0u) << refusal->reason;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LiteralReceiverRules,
    testing::Values(
        Row{"literal", kMessage, ""}, Row{"without_ip", kHead + kData + "1</DATA></UECS>", ""},
        Row{"exactly_300_bytes",
            kHead + kData + std::string(300 - kMessage.size() + 4, '1') +
                "</DATA><IP>10.0.0.1</IP></UECS>",
            ""},
        Row{"301_bytes",
            kHead + kData + std::string(300 - kMessage.size() + 5, '1') +
                "</DATA><IP>10.0.0.1</IP></UECS>",
            "buffer"},
        Row{"encoding_declared",
            R"(<?xml version="1.0" encoding="Shift_JIS"?><UECS ver="1.00-E10">)" + kData +
                "1</DATA></UECS>",
            "declaration"},
        Row{"byte_order_mark", "\xef\xbb\xbf" + kMessage, "declaration"},
        Row{"no_declaration", kMessage.substr(21), "declaration"},
        Row{"line_break_after_declaration",
            R"(<?xml version="1.0"?>)"
            "\r\n" +
                kMessage.substr(21),
            "whitespace"},
        Row{"space_before_ip", kHead + kData + "1</DATA> <IP>10.0.0.1</IP></UECS>", "whitespace"},
        Row{"other_version",
            R"(<?xml version="1.0"?><UECS ver="1.10-E10">)" + kData + "1</DATA></UECS>",
            "envelope"},
        Row{"not_data", kHead + "<NODESCAN/></UECS>", "data"},
        Row{"attributes_out_of_order",
            kHead + R"(<DATA room="1" type="InAirTemp" region="2" order="3" priority="15">)" +
                "1</DATA></UECS>",
            "attributes"},
        Row{"two_spaces",
            kHead + R"(<DATA type="InAirTemp"  room="1" region="2" order="3" priority="15">)" +
                "1</DATA></UECS>",
            "attributes"},
        Row{"extra_attribute",
            kHead +
                R"(<DATA type="InAirTemp" room="1" region="2" order="3" priority="15" cast="1">)" +
                "1</DATA></UECS>",
            "attributes"},
        Row{"two_data", kHead + kData + "1</DATA>" + kData + "2</DATA></UECS>", "one-data"},
        Row{"empty_ip_element", kHead + kData + "1</DATA><IP/></UECS>", "ip"},
        Row{"unclosed_ip", kHead + kData + "1</DATA><IP>10.0.0.1</UECS>", "ip"},
        Row{"trailing_nul", kMessage + std::string(1, '\0'), "end"},
        Row{"trailing_line_break", kMessage + "\n", "end"},
        Row{"element_after_ip", kHead + kData + "1</DATA><IP>10.0.0.1</IP><X/></UECS>", "end"}),
    [](const testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

TEST(LiteralReceiver, TakesWhatOurNodeSends)
{
    // The longest texts the panel takes, in three-byte UTF-8: longer than on
    // the wire, where Shift-JIS writes each in two.
    const std::string rain19 = [] {
        std::string text;
        for (int i = 0; i < 19; ++i)
            text += "雨";
        return text;
    }();
    const std::string rain24 = rain19 + "雨雨雨雨雨";
    for (const std::string& type :
         {std::string("WRainfall"), std::string("InAirTemp.mIC"), rain19}) {
        ccm::CcmFields fields;
        fields.type = type;
        fields.room = 127;
        fields.region = 127;
        fields.order = 30000;
        fields.priority = 30;
        fields.data = 1;
        fields.ip = type == rain19 ? std::string_view(rain24) : std::string_view("255.255.255.255");
        const std::string message = ccm::FormatCcmMessage(fields);
        const auto refusal = ccm::LiteralReceiverRefusal(message);
        EXPECT_FALSE(refusal) << message << ": " << refusal->reason;
    }
}

} // namespace
