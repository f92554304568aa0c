// The one IPv4 text form: what it takes, what it refuses, and that what it
// writes reads back.

#include "ccm/Ipv4Text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

struct AddressRow {
    std::string text;
    std::optional<std::uint32_t> address;
};

class Ipv4TextTest : public testing::TestWithParam<AddressRow> {};

TEST_P(Ipv4TextTest, ReadsDottedDecimalOnly)
{
    EXPECT_EQ(ccm::ParseIpv4(GetParam().text), GetParam().address);
    if (GetParam().address) {
        EXPECT_EQ(ccm::Ipv4Text(*GetParam().address), GetParam().text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Ipv4TextTest,
    testing::Values(AddressRow{"192.168.1.70", 0xC0A80146}, AddressRow{"0.0.0.0", 0},
                    AddressRow{"255.255.255.255", 0xFFFFFFFF}, AddressRow{"10.0.0.1", 0x0A000001},
                    // Forms other readers take, refused here: leading zeros (octal
                    // to some), short and single-number forms, signs, spaces.
                    AddressRow{"010.0.0.1", {}}, AddressRow{"10.0.0.01", {}},
                    AddressRow{"10.1", {}}, AddressRow{"167772161", {}},
                    AddressRow{"+10.0.0.1", {}}, AddressRow{"10.0.0.-1", {}},
                    AddressRow{" 10.0.0.1", {}}, AddressRow{"10.0.0.1 ", {}},
                    AddressRow{"10.0.0.256", {}}, AddressRow{"10.0.0.1000", {}},
                    AddressRow{"10.0.0.1.", {}}, AddressRow{"10.0.0.1.5", {}},
                    AddressRow{"10..0.1", {}}, AddressRow{"", {}},
                    AddressRow{"10.0.0.99999999999999999999", {}},
                    // A C-string reader stops at the zero byte and takes the front.
                    AddressRow{"10.0.0.1\0.9"s, {}}));

} // namespace
