#include "ccm/DataMessage.h"
#include "ccm/CcmMessage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Value(double value, int cast)
{
    std::string out;
    ccm::FormatValue(value, cast, out);
    return out;
}

TEST(DataValue, WrittenWithExactlyItsDecimals)
{
    EXPECT_EQ(Value(23.5, 1), "23.5");
    EXPECT_EQ(Value(23, 1), "23.0");
    EXPECT_EQ(Value(0.62, 2), "0.62");
    EXPECT_EQ(Value(1, 0), "1");
    EXPECT_EQ(Value(0.6, 0), "1");
    EXPECT_EQ(Value(-3.25, 2), "-3.25");
    EXPECT_EQ(Value(410.0004, 3), "410.000");
    EXPECT_EQ(Value(1e9, 0), "1000000000");
}

TEST(DataValue, HalvesRoundAwayFromZero)
{
    EXPECT_EQ(Value(64.5, 0), "65");
    EXPECT_EQ(Value(-2.5, 0), "-3");
    EXPECT_EQ(Value(0.125, 2), "0.13");
    EXPECT_EQ(Value(21.45, 1), "21.5");
    EXPECT_EQ(Value(21.449, 1), "21.4");
}

TEST(DataValue, NegativeValuesThatRoundToZeroHaveNoSign)
{
    EXPECT_EQ(Value(-0.04, 1), "0.0");
    EXPECT_EQ(Value(-0.0, 0), "0");
    EXPECT_EQ(Value(-0.4, 0), "0");
    EXPECT_EQ(Value(-0.06, 1), "-0.1");
}

TEST(DataMessage, SameFormAsTheRainNodesMessage)
{
    ccm::DataFields fields;
    fields.type = "InAirTemp.mIC";
    fields.room = 127;
    fields.region = 3;
    fields.order = 30000;
    fields.priority = 15;
    fields.value = "23.5";
    fields.ip = "192.168.1.70";
    std::string text;
    ccm::FormatDataMessage(fields, text);
    EXPECT_EQ(text, R"(<?xml version="1.0"?><UECS ver="1.00-E10"><DATA type="InAirTemp.mIC" )"
                    R"(room="127" region="3" order="30000" priority="15">23.5</DATA>)"
                    R"(<IP>192.168.1.70</IP></UECS>)");

    ccm::CcmFields rain{"WRainfall", 127, 3, 30000, 15, 1, "192.168.1.70"};
    fields.type = "WRainfall";
    fields.value = "1";
    ccm::FormatDataMessage(fields, text);
    EXPECT_EQ(ccm::FormatCcmMessage(rain), text);
}

} // namespace
