// Address texts: their forms, classes and bytes, and how host texts resolve.
#include "transport/EIdSocketError.h"
#include "transport/RecordingEntries.h"
#include "transport/TIdStackPosix.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace transport;

namespace {

struct AddressRow {
    const char* text;
    IPTextForm form;
    int ipClass;
    IPv4Bytes octets;
};

void PrintTo(const AddressRow& row, std::ostream* out)
{
    *out << '"' << row.text << '"';
}

constexpr IPv4Bytes kUntouched{7, 7, 7, 7};

class ParseAddressTextTest : public testing::TestWithParam<AddressRow> {};

TEST_P(ParseAddressTextTest, GivesFormClassAndBytes)
{
    const AddressRow row = GetParam();
    IPAddressParts parts;
    parts.octets = kUntouched;

    const bool valid = TIdStack::ParseAddressText(row.text, parts);

    EXPECT_EQ(valid, row.form != IPTextForm::Invalid);
    EXPECT_EQ(parts.form, row.form);
    EXPECT_EQ(parts.ipClass, row.ipClass);
    EXPECT_EQ(parts.octets, row.octets);
    EXPECT_EQ(TIdStack::IsAddressText(row.text), valid);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ParseAddressTextTest,
    testing::Values(AddressRow{"255.255.255.255", IPTextForm::Dotted, 5, {255, 255, 255, 255}},
                    AddressRow{"4294967295", IPTextForm::Number, 0, {255, 255, 255, 255}},
                    AddressRow{"167772161", IPTextForm::Number, 0, {10, 0, 0, 1}},
                    AddressRow{"10.1", IPTextForm::Dotted, 1, {10, 0, 0, 1}},
                    AddressRow{"200.65536", IPTextForm::Dotted, 1, {200, 1, 0, 0}},
                    AddressRow{"1.2.3", IPTextForm::Dotted, 2, {1, 2, 0, 3}},
                    AddressRow{"1.2.3.", IPTextForm::Dotted, 2, {1, 2, 0, 3}},
                    AddressRow{"1.2.65535", IPTextForm::Dotted, 2, {1, 2, 255, 255}},
                    AddressRow{"1..2", IPTextForm::Number, 0, {0, 0, 0, 1}},
                    AddressRow{"127.0.0.1", IPTextForm::Dotted, 1, {127, 0, 0, 1}},
                    AddressRow{"128.0.0.1", IPTextForm::Dotted, 2, {128, 0, 0, 1}},
                    AddressRow{"192.168.1.9", IPTextForm::Dotted, 3, {192, 168, 1, 9}},
                    AddressRow{"224.0.0.1", IPTextForm::Dotted, 4, {224, 0, 0, 1}},
                    AddressRow{"240.0.0.1", IPTextForm::Dotted, 5, {240, 0, 0, 1}},
                    AddressRow{"4294967296", IPTextForm::Invalid, 0, kUntouched},
                    AddressRow{"1.2.3.4.5", IPTextForm::Invalid, 0, kUntouched},
                    AddressRow{"256.1.1.1", IPTextForm::Invalid, 0, kUntouched},
                    AddressRow{"10.16777216", IPTextForm::Invalid, 0, kUntouched},
                    AddressRow{"1.2.65536", IPTextForm::Invalid, 0, kUntouched},
                    AddressRow{"", IPTextForm::Invalid, 0, kUntouched},
                    AddressRow{"-1", IPTextForm::Invalid, 0, kUntouched},
                    AddressRow{"1.2.3.x", IPTextForm::Invalid, 0, kUntouched},
                    AddressRow{"node", IPTextForm::Invalid, 0, kUntouched}));

class HostToAddressTextTest : public testing::Test {
protected:
    transporttest::RecordingEntries entries;
    TIdStackPosix stack;
};

TEST_F(HostToAddressTextTest, AddressTextsAndLocalhostNeedNoLookup)
{
    EXPECT_EQ(stack.HostToAddressText("255.255.255.255"), "255.255.255.255");
    EXPECT_EQ(stack.HostToAddressText("4294967295"), "4294967295");
    EXPECT_EQ(stack.HostToAddressText("LOCALHOST"), "127.0.0.1");
    EXPECT_EQ(stack.HostToAddressText("localhost"), "127.0.0.1");
    EXPECT_EQ(stack.HostToAddressText("LocalHost"), "127.0.0.1");
    EXPECT_TRUE(entries.calls.empty());
}

TEST_F(HostToAddressTextTest, AnythingElseIsLookedUpAsAName)
{
    entries.hosts["4294967296"] = "10.0.0.9";

    EXPECT_EQ(stack.HostToAddressText("4294967296"), "10.0.0.9");
    EXPECT_THAT(entries.calls, testing::ElementsAre("gethostbyname(4294967296)"));
    EXPECT_THROW(stack.HostToAddressText("localhost.example"), EIdSocketError);
}

TEST_F(HostToAddressTextTest, AddressBytesConvertBothWays)
{
    EXPECT_EQ(stack.AddressFromText("1.2.3"), (IPv4Bytes{1, 2, 0, 3}));
    EXPECT_EQ(stack.AddressToText({10, 0, 200, 7}), "10.0.200.7");
    try {
        stack.AddressFromText("1.2.3.4.5");
        FAIL() << "no exception";
    } catch (const EIdInvalidIPAddress& e) {
        EXPECT_EQ(e.Message(), "1.2.3.4.5 is not a valid IP address.");
    }
}

// The list is made on first use, and filling it may be that first use.
TEST(LocalAddressListTest, FillsOnAFreshStackAndReplacesTheOldList)
{
    transporttest::RecordingEntries entries;
    TIdStackPosix stack;
    entries.hosts[stack.SockHostName()] = "10.0.0.7";

    stack.FillLocalAddresses();
    stack.FillLocalAddresses();
    EXPECT_EQ(stack.LocalAddressList(), std::vector<std::string>{"10.0.0.7"});

    entries.hosts.clear();
    try {
        stack.FillLocalAddresses();
        FAIL() << "no exception";
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(e.ErrorCode(), 11001);
    }
}

} // namespace
