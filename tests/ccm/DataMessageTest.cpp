#include "ccm/DataMessage.h"
#include "ccm/CcmMessage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
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

// Halves judged on the decimal written, not on its binary neighbour: 0.145
// is stored as 0.14499999999999999. Every value k + 0.5 units of the last
// kept place, for thousands of k, both signs and each cast, rounds away
// from zero. The expectation is made with whole numbers only.
TEST(DataValue, WrittenHalvesRoundAwayFromZero)
{
    EXPECT_EQ(Value(0.145, 2), "0.15");
    EXPECT_EQ(Value(1.005, 2), "1.01");
    EXPECT_EQ(Value(-2.675, 2), "-2.68");
    EXPECT_EQ(Value(9.9995, 3), "10.000");
    for (int cast = 0; cast <= ccm::kMaxCast; ++cast) {
        for (std::int64_t k = 0; k < 3000; ++k) {
            const std::int64_t units = k * 7919 % 1000003; // spread over magnitudes
            // units + 0.5 in the last kept place, written as a person would.
            std::string digits = std::to_string(units * 10 + 5);
            digits.insert(0, static_cast<std::size_t>(std::max<int>(0, cast + 2 - digits.size())),
                          '0');
            const std::string written = digits.substr(0, digits.size() - cast - 1) + "." +
                                        digits.substr(digits.size() - cast - 1);
            std::string expected = std::to_string(units + 1);
            expected.insert(
                0, static_cast<std::size_t>(std::max<int>(0, cast + 1 - expected.size())), '0');
            if (cast > 0)
                expected.insert(expected.begin() + (expected.size() - cast), '.');
            double value = 0;
            std::from_chars(written.data(), written.data() + written.size(), value);
            ASSERT_EQ(Value(value, cast), expected) << written << " with " << cast;
            ASSERT_EQ(Value(-value, cast), "-" + expected) << "-" << written << " with " << cast;
        }
    }
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
