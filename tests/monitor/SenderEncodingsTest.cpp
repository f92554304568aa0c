#include "monitor/SenderEncodings.h"

#include "ccm/Cp932Encoder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Data(const std::string& type)
{
    return R"(<?xml version="1.0"?><UECS ver="1.00-E10"><DATA type=")" + type +
           R"(" room="1" region="1" order="1" priority="29">0</DATA><IP>10.0.0.1</IP></UECS>)";
}

// "\xC3\xA8": "è" in UTF-8, "ﾃｨ" in Shift-JIS.
const std::string kAmbiguous = Data("\xC3\xA8");

std::string TypeOf(const ccm::DecodeResult& result)
{
    return result.message && result.message->data ? result.message->data->type : "?";
}

TEST(SenderEncodings, AmbiguousTextIsReadAsItsSenderWroteBefore)
{
    monitor::SenderEncodings encodings;
    ccm::Cp932Encoder encoder;
    encodings.decode("10.0.0.1", encoder.encode(Data("気温")));
    encodings.decode("10.0.0.2", Data("℃"));
    EXPECT_EQ(TypeOf(encodings.decode("10.0.0.1", kAmbiguous)), "ﾃｨ");
    EXPECT_EQ(TypeOf(encodings.decode("10.0.0.2", kAmbiguous)), "è");
    EXPECT_EQ(TypeOf(encodings.decode("10.0.0.3", kAmbiguous)), "è");
    // Text input has no sender to remember.
    encodings.decode("", encoder.encode(Data("気温")));
    EXPECT_EQ(TypeOf(encodings.decode("", kAmbiguous)), "è");
    EXPECT_EQ(encodings.size(), 2u);
}

TEST(SenderEncodings, TheLeastRecentlyShownSenderIsForgottenBeyondTheBound)
{
    monitor::SenderEncodings encodings;
    ccm::Cp932Encoder encoder;
    const std::string shiftJis = encoder.encode(Data("気温"));
    for (std::size_t i = 0; i <= monitor::SenderEncodings::kMaxSenders; ++i) {
        encodings.decode("10.1." + std::to_string(i / 256) + '.' + std::to_string(i % 256),
                         shiftJis);
        // The first sender shows again after the second, so the second is
        // the one forgotten.
        if (i == 1)
            encodings.decode("10.1.0.0", shiftJis);
    }
    EXPECT_EQ(encodings.size(), monitor::SenderEncodings::kMaxSenders);
    EXPECT_EQ(TypeOf(encodings.decode("10.1.0.0", kAmbiguous)), "ﾃｨ");
    EXPECT_EQ(TypeOf(encodings.decode("10.1.0.1", kAmbiguous)), "è");
}

} // namespace
