// The ids nodes answer with and the defaults they fall back on.

#include "discovery/Identity.h"
#include "ccm/Cp932Encoder.h"
#include "ccm/Decoder.h"
#include "ccm/ScanMessages.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

using discovery::NormalizeId;

TEST(Identity, IdsReadInTheirCommonFormsAndNothingElse)
{
    EXPECT_EQ(NormalizeId("0200c0a80146"), "0200C0A80146");
    EXPECT_EQ(NormalizeId("02:00:c0:a8:01:46"), "0200C0A80146");
    EXPECT_EQ(NormalizeId("02-00-C0-A8-01-46"), "0200C0A80146");
    for (const char* bad : {"", "0200C0A8014", "0200C0A801467", "0200C0A8014G", "02:00:c0:a8:0146",
                            "02::00c0:a8:01:46", "02:00:c0:a8:01:4"})
        EXPECT_EQ(NormalizeId(bad), std::nullopt) << bad;
}

TEST(Identity, MacsFollowTheAddressUnderALocallyAdministeredPrefix)
{
    EXPECT_EQ(discovery::DefaultMac("192.168.1.70"), "0200C0A80146");
    EXPECT_EQ(discovery::DefaultMac("auto"), "020000000000");
    // Read as a whole text, not up to a zero byte.
    EXPECT_EQ(discovery::DefaultMac(std::string_view("10.0.0.1\0.9", 10)), "020000000000");
    EXPECT_EQ(discovery::OffsetId("0200C0A801FF", 1), "0200C0A80200");
    EXPECT_EQ(discovery::OffsetId("FFFFFFFFFFFF", 2), "000000000001");
    const discovery::NodeIdentity id = discovery::DefaultIdentity("10.0.0.1");
    EXPECT_EQ(id.uecsId, discovery::kDefaultUecsId);
    EXPECT_EQ(id.mac, "02000A000001");
}

TEST(Identity, ANodeReplyWithTheLongestNameAndVendorFitsAFieldReceiversBuffer)
{
    // Two bytes a kanji: both texts at their bound, and the longest IP text.
    std::string kanji;
    for (std::size_t i = 0; i < discovery::kMaxIdentityBytes / 2; ++i)
        kanji += "\u6E29";
    ccm::Cp932Encoder encoder;
    ASSERT_EQ(encoder.encode(kanji).size(), discovery::kMaxIdentityBytes);
    const std::string reply = encoder.encode(
        ccm::FormatNodeReply({kanji, kanji, "FFFFFFFFFFFF", "255.255.255.255", "FFFFFFFFFFFF"}));
    EXPECT_LE(reply.size(), ccm::kStrictMessageBytes);
}

} // namespace
