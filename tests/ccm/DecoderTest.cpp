#include "ccm/Decoder.h"
#include "ccm/Cp932Encoder.h"
#include "ccm/ScanMessages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace ccm {
namespace {

const std::string kHead = R"(<?xml version="1.0"?><UECS ver="1.00-E10">)";
const std::string kData = kHead +
                          R"(<DATA type="InAirTemp" room="1" region="2" order="3" priority="15">)"
                          R"(23.5</DATA><IP>192.168.1.10</IP></UECS>)";
const std::string kNodeReply = kHead + "<NODE><NAME>Rain</NAME><VENDER>Setarome</VENDER>"
                                       "<UECSID>10100C000001</UECSID><IP>10.0.0.7</IP>"
                                       "<MAC>0A1B2C3D4E5F</MAC></NODE></UECS>";
const std::string kCcmScanReply =
    kHead + R"(<CCMNUM page="2" total="3">1</CCMNUM><CCM No="2" room="1" region="2" order="3" )"
            R"(priority="15" cast="1" unit="C" SR="S" LV="A-1S-0">InAirTemp</CCM></UECS>)";
const std::string kSearch =
    kHead + R"(<SEARCH type="InAirTemp" room="0" region="0" order="0"/></UECS>)";
const std::string kSearchReply =
    kHead +
    R"(<SERVER type="InAirTemp" room="1" region="2" order="3" priority="15">10.0.0.7</SERVER></UECS>)";

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::vector<std::string> findingNames(const Decoded& decoded)
{
    std::vector<std::string> names;
    for (const auto& finding : decoded.findings)
        names.emplace_back(DepartureName(finding.departure));
    return names;
}

Decoded decodedOrFail(const std::string& datagram)
{
    const DecodeResult result = Decode(datagram);
    EXPECT_TRUE(result.message) << result.error << " at " << result.offset;
    return result.message.value_or(Decoded{});
}

TEST(Decoder, DataMessage)
{
    const Decoded decoded = decodedOrFail(kData);
    ASSERT_EQ(decoded.kind, MessageKind::Data);
    ASSERT_TRUE(decoded.data);
    EXPECT_EQ(decoded.data->type, "InAirTemp");
    EXPECT_EQ(decoded.data->room, 1);
    EXPECT_EQ(decoded.data->region, 2);
    EXPECT_EQ(decoded.data->order, 3);
    EXPECT_EQ(decoded.data->priority, 15);
    EXPECT_EQ(decoded.data->value, "23.5");
    EXPECT_EQ(decoded.data->ip, "192.168.1.10");
    EXPECT_FALSE(decoded.shiftJis);
    EXPECT_TRUE(decoded.findings.empty());
    EXPECT_FALSE(decoded.node || decoded.ccmScan || decoded.ccmScanReply || decoded.search ||
                 decoded.searchReply);
}

TEST(Decoder, DiscoveryForms)
{
    Decoded decoded = decodedOrFail(kHead + "<NODESCAN/></UECS>");
    EXPECT_EQ(decoded.kind, MessageKind::NodeScan);

    decoded = decodedOrFail(kNodeReply);
    ASSERT_TRUE(decoded.node);
    EXPECT_EQ(decoded.node->name, "Rain");
    EXPECT_EQ(decoded.node->vendor, "Setarome");
    EXPECT_EQ(decoded.node->uecsId, "10100C000001");
    EXPECT_EQ(decoded.node->ip, "10.0.0.7");
    EXPECT_EQ(decoded.node->mac, "0A1B2C3D4E5F");

    decoded = decodedOrFail(kHead + "<CCMSCAN/></UECS>");
    ASSERT_TRUE(decoded.ccmScan);
    EXPECT_EQ(decoded.ccmScan->page, 1);
    decoded = decodedOrFail(kHead + R"(<CCMSCAN page="4"/></UECS>)");
    ASSERT_TRUE(decoded.ccmScan);
    EXPECT_EQ(decoded.ccmScan->page, 4);

    decoded = decodedOrFail(kCcmScanReply);
    ASSERT_TRUE(decoded.ccmScanReply);
    const CcmScanReplyContent& reply = *decoded.ccmScanReply;
    EXPECT_EQ(reply.page, 2);
    EXPECT_EQ(reply.total, 3);
    EXPECT_EQ(reply.count, 1);
    EXPECT_EQ(reply.number, 2);
    EXPECT_EQ(reply.priority, 15);
    EXPECT_EQ(reply.cast, 1);
    EXPECT_EQ(reply.unit, "C");
    EXPECT_EQ(reply.sr, "S");
    EXPECT_EQ(reply.level, "A-1S-0");
    EXPECT_EQ(reply.type, "InAirTemp");

    decoded = decodedOrFail(kSearch);
    ASSERT_TRUE(decoded.search);
    EXPECT_EQ(decoded.search->type, "InAirTemp");
    EXPECT_EQ(decoded.search->order, 0);

    decoded = decodedOrFail(kSearchReply);
    ASSERT_TRUE(decoded.searchReply);
    EXPECT_EQ(decoded.searchReply->priority, 15);
    EXPECT_EQ(decoded.searchReply->ip, "10.0.0.7");
}

TEST(Decoder, LenientWhereReceiversAre)
{
    const std::string spaced = "<?xml version=\"1.0\"?>\r\n<UECS ver=\"1.00-E10\">\n  <NODESCAN>"
                               "</NODESCAN>\n</UECS>\n";
    const Decoded decoded = decodedOrFail(spaced);
    EXPECT_EQ(decoded.kind, MessageKind::NodeScan);
    EXPECT_EQ(findingNames(decoded),
              (std::vector<std::string>{"trailing-line-break", "space-between-elements",
                                        "empty-element-form"}));
}

TEST(Decoder, EntitiesAreResolved)
{
    const Decoded decoded =
        decodedOrFail(replaced(kNodeReply, "Setarome", "A&amp;B &lt;&gt;&quot;&apos;"));
    ASSERT_TRUE(decoded.node);
    EXPECT_EQ(decoded.node->vendor, "A&B <>\"'");
}

struct DepartureRow {
    const char* expected;
    std::string datagram;
};

class DecoderDeparture : public testing::TestWithParam<DepartureRow> {};

TEST_P(DecoderDeparture, OneChangeGivesExactlyItsFinding)
{
    const DecodeResult result = Decode(GetParam().datagram);
    ASSERT_TRUE(result.message) << result.error << " at " << result.offset;
    EXPECT_EQ(findingNames(*result.message), std::vector<std::string>{GetParam().expected});
}

const std::string kLongValue = "23." + std::string(200, '5');

INSTANTIATE_TEST_SUITE_P(
    Each, DecoderDeparture,
    testing::Values(
        DepartureRow{"byte-order-mark", "\xEF\xBB\xBF" + kData},
        DepartureRow{"missing-declaration", replaced(kData, R"(<?xml version="1.0"?>)", "")},
        DepartureRow{"encoding-declared",
                     replaced(kData, R"("1.0"?>)", R"("1.0" encoding="Shift_JIS"?>)")},
        DepartureRow{"other-version", replaced(kData, "1.00-E10", "1.00-E11")},
        DepartureRow{"space-between-elements", replaced(kData, "</DATA><IP>", "</DATA>\n<IP>")},
        DepartureRow{"space-in-tag", replaced(kData, R"(room="1")", R"(room = "1")")},
        DepartureRow{"space-in-tag", replaced(kData, R"(" room)", "\"\troom")},
        DepartureRow{"empty-element-form", kHead + "<NODESCAN></NODESCAN></UECS>"},
        DepartureRow{"attribute-order",
                     replaced(kData, R"(room="1" region="2")", R"(region="2" room="1")")},
        DepartureRow{"missing-attribute", replaced(kData, R"( priority="15")", "")},
        DepartureRow{"extra-attribute", replaced(kData, R"(">23.5)", R"(" unit="C">23.5)")},
        DepartureRow{"several-data", replaced(kData, "<IP>",
                                              R"(<DATA type="A" room="1" region="1" order="1" )"
                                              R"(priority="1">0</DATA><IP>)")},
        DepartureRow{"type-too-long", replaced(kData, "InAirTemp", std::string(20, 'T'))},
        DepartureRow{"out-of-range", replaced(kData, R"(room="1")", R"(room="128")")},
        DepartureRow{"out-of-range", replaced(kData, R"(priority="15")", R"(priority="31")")},
        DepartureRow{"out-of-range", replaced(kCcmScanReply, R"(cast="1")", R"(cast="7")")},
        DepartureRow{"out-of-range", replaced(kCcmScanReply, R"(SR="S")", R"(SR="X")")},
        DepartureRow{"out-of-range", replaced(kCcmScanReply, R"(total="3")", R"(total="1")")},
        DepartureRow{"out-of-range", kHead + R"(<CCMSCAN page="0"/></UECS>)"},
        DepartureRow{"integer-form", replaced(kData, R"(order="3")", R"(order="03")")},
        DepartureRow{"value-not-number", replaced(kData, "23.5<", "23.<")},
        DepartureRow{"ip-not-ipv4", replaced(kData, "192.168.1.10", "192.168.1.256")},
        DepartureRow{"ip-not-ipv4", replaced(kSearchReply, "10.0.0.7", "host")},
        DepartureRow{"id-not-hex", replaced(kNodeReply, "0A1B2C3D4E5F", "0a1b2c3d4e5f")},
        DepartureRow{"level-underscore", replaced(kCcmScanReply, "A-1S-0", "A_1S_0")},
        DepartureRow{"too-long", replaced(kData, "23.5", kLongValue)},
        DepartureRow{"trailing-nul", kData + std::string(2, '\0')},
        DepartureRow{"trailing-line-break", kData + "\r\n"}));

struct RefusalRow {
    const char* what;
    std::string datagram;
    std::string at; // the refusal's offset is where this first occurs; empty: at the end
};

void PrintTo(const RefusalRow& row, std::ostream* out)
{
    *out << row.what;
}

void PrintTo(const DepartureRow& row, std::ostream* out)
{
    *out << row.expected;
}

class DecoderRefusal : public testing::TestWithParam<RefusalRow> {};

TEST_P(DecoderRefusal, ReasonAndOffset)
{
    const RefusalRow& row = GetParam();
    const DecodeResult result = Decode(row.datagram);
    ASSERT_FALSE(result.message);
    EXPECT_NE(result.error.find(row.what), std::string::npos) << result.error;
    EXPECT_EQ(result.offset, row.at.empty() ? row.datagram.size() : row.datagram.find(row.at))
        << result.error;
    EXPECT_LE(result.offset, row.datagram.size());
}

INSTANTIATE_TEST_SUITE_P(
    Each, DecoderRefusal,
    testing::Values(
        RefusalRow{"single quotes", replaced(kData, R"(room="1")", "room='1'"), "'1'"},
        RefusalRow{"unknown element", replaced(kData, "<IP>", "<IPX>"), "<IPX>"},
        RefusalRow{"text where none belongs", replaced(kData, "<DATA", "x<DATA"), "x<DATA"},
        RefusalRow{"attribute given twice", replaced(kData, R"(room="1")", R"(room="1" room="1")"),
                   R"(room="1" region)"},
        RefusalRow{"holds only text", replaced(kData, "<IP>", "<IP><IP>"), "<IP>192"},
        RefusalRow{"end tag does not match", replaced(kData, "</IP>", "</NAME>"), "</NAME>"},
        RefusalRow{"unclosed element", replaced(kData, "</UECS>", ""), ""},
        RefusalRow{"second root", kData + R"(<UECS ver="1.00-E10"/>)", R"(<UECS ver="1.00-E10"/>)"},
        RefusalRow{"comment", replaced(kData, "<DATA", "<!-- x --><DATA"), "<!--"},
        RefusalRow{"DOCTYPE", replaced(kData, "<UECS", "<!DOCTYPE UECS><UECS"), "<!DOCTYPE"},
        RefusalRow{"entity", replaced(kData, "23.5", "&nbsp;"), "&nbsp;"},
        RefusalRow{"entity", replaced(kData, "23.5", "&#60;"), "&#60;"},
        RefusalRow{"not an integer", replaced(kData, R"(room="1")", R"(room="1x")"), "1x"},
        RefusalRow{"not an integer", replaced(kData, R"(room="1")", R"(room="2147483648")"),
                   "2147483648"},
        RefusalRow{"<CCMNUM> is not an integer",
                   replaced(kCcmScanReply, R"("3">1</CCMNUM>)", R"("3"/>)"), "<CCM "},
        RefusalRow{"control character", replaced(kData, "23.5", "2\x01"), "\x01"},
        RefusalRow{"neither UTF-8 nor Shift-JIS", replaced(kData, "InAir", "In\xFF"), "\xFF"},
        RefusalRow{"without ver", replaced(kData, R"( ver="1.00-E10")", ""), "<UECS"},
        RefusalRow{"<DATA> without <IP>", replaced(kData, "<IP>192.168.1.10</IP>", ""), ""},
        RefusalRow{"<NODE> needs", replaced(kNodeReply, "<VENDER>Setarome</VENDER>", ""),
                   "<UECSID>"},
        RefusalRow{"unexpected element", replaced(kSearch, "</UECS>", "<NODESCAN/></UECS>"),
                   "<NODESCAN/>"},
        RefusalRow{"element out of place", replaced(kData, "<IP>", "<NAME>x</NAME><IP>"), "<NAME>"},
        RefusalRow{"text longer than 255", replaced(kData, "InAirTemp", std::string(256, 'T')),
                   "TTT"},
        RefusalRow{"unterminated attribute value", kHead + R"(<SEARCH type="x)", "\"x"}));

// The check reads plain text eight bytes at a time: a control character at
// any place in a word, and the smallest and largest bytes around the
// printable range, are each found where they are.
TEST(Decoder, EveryControlCharacterIsFoundWhereverItStands)
{
    const std::size_t value = kData.find("23.5");
    for (const char control : {'\x01', '\x1f', '\x00'}) {
        for (std::size_t shift = 0; shift < 8; ++shift) {
            std::string datagram = kData;
            datagram.insert(value, std::string(shift, '1'));
            datagram[value + shift] = control;
            const DecodeResult result = Decode(datagram);
            EXPECT_FALSE(result.message) << int(control) << " at " << shift;
            EXPECT_EQ(result.offset, value + shift) << int(control) << " at " << shift;
        }
    }
    // Space and DEL are plain text to the check; the value is then no number.
    const DecodeResult del = Decode(replaced(kData, "23.5", "2\x7f"));
    ASSERT_TRUE(del.message);
    EXPECT_EQ(del.message->data->value, "2\x7f");
}

// Nothing past the bound is read, so that is where it goes wrong.
TEST(Decoder, RefusesWhatIsLongerThanItReads)
{
    const DecodeResult result = Decode(kData + std::string(kMaxDecodedBytes, ' '));
    EXPECT_FALSE(result.message);
    EXPECT_EQ(result.offset, kMaxDecodedBytes);
}

TEST(Decoder, ShiftJisAndUtf8Texts)
{
    // "ソ" and "表" have 0x5C ('\') as their second Shift-JIS byte, and
    // half-width katakana are one byte.
    const std::string type = "気温ソ表ｱ";
    const std::string utf8 = replaced(kData, "InAirTemp", type);
    Decoded decoded = decodedOrFail(utf8);
    EXPECT_FALSE(decoded.shiftJis);
    EXPECT_EQ(decoded.data->type, type);

    Cp932Encoder encoder;
    decoded = decodedOrFail(encoder.encode(replaced(kNodeReply, "Rain", type)));
    EXPECT_TRUE(decoded.shiftJis);
    EXPECT_EQ(decoded.node->name, type);
    EXPECT_TRUE(decoded.findings.empty());
}

// "\xC3\xA8" is "è" in UTF-8 and "ﾃｨ" (two half-width katakana) in
// Shift-JIS: the declaration decides, else what the sender used before, else
// UTF-8; the finding says a strict receiver may read the other.
struct AmbiguousRow {
    const char* name;
    const char* declaration;
    Encoding preferred;
    std::string type;
    bool shiftJis;
};

std::ostream& operator<<(std::ostream& out, const AmbiguousRow& row)
{
    return out << row.name;
}

class AmbiguousText : public ::testing::TestWithParam<AmbiguousRow> {};

TEST_P(AmbiguousText, IsReadAsDeclaredOrAsBeforeAndReported)
{
    const AmbiguousRow& row = GetParam();
    const std::string datagram = replaced(replaced(kData, "InAirTemp", "\xC3\xA8"),
                                          R"(<?xml version="1.0"?>)", row.declaration);
    const DecodeResult result = Decode(datagram, row.preferred);
    ASSERT_TRUE(result.message) << result.error;
    EXPECT_EQ(result.message->data->type, row.type);
    EXPECT_EQ(result.message->shiftJis, row.shiftJis);
    const std::vector<std::string> names = findingNames(*result.message);
    EXPECT_NE(std::find(names.begin(), names.end(), "ambiguous-encoding"), names.end());
}

INSTANTIATE_TEST_SUITE_P(
    Decoder, AmbiguousText,
    ::testing::Values(AmbiguousRow{"undeclared", R"(<?xml version="1.0"?>)", Encoding::Unknown, "è",
                                   false},
                      AmbiguousRow{"sender_used_sjis", R"(<?xml version="1.0"?>)",
                                   Encoding::ShiftJis, "ﾃｨ", true},
                      AmbiguousRow{"declared_sjis", R"(<?xml version="1.0" encoding="shift_jis"?>)",
                                   Encoding::Utf8, "ﾃｨ", true},
                      AmbiguousRow{"declared_cp932", R"(<?xml version="1.0" encoding="CP932"?>)",
                                   Encoding::Unknown, "ﾃｨ", true},
                      AmbiguousRow{"declared_utf8", R"(<?xml version="1.0" encoding="UTF-8"?>)",
                                   Encoding::ShiftJis, "è", false}),
    [](const auto& info) { return std::string(info.param.name); });

// What the bytes alone show is what a sender's memory learns from.
TEST(Decoder, TheEncodingTheBytesShow)
{
    Cp932Encoder encoder;
    EXPECT_EQ(decodedOrFail(kData).evident, Encoding::Unknown);
    EXPECT_EQ(decodedOrFail(encoder.encode(replaced(kData, "InAirTemp", "気温"))).evident,
              Encoding::ShiftJis);
    // "℃" in UTF-8 ends in a Shift-JIS lead byte with nothing after it.
    EXPECT_EQ(decodedOrFail(replaced(kData, "InAirTemp", "℃")).evident, Encoding::Utf8);
    EXPECT_EQ(decodedOrFail(replaced(kData, "InAirTemp", "\xC3\xA8")).evident, Encoding::Unknown);
}

TEST(Decoder, TypeLengthCountsCharacters)
{
    const std::string nineteen = "気温気温気温気温気温気温気温気温気温気";
    EXPECT_TRUE(decodedOrFail(replaced(kData, "InAirTemp", nineteen)).findings.empty());
    // These UTF-8 bytes read as Shift-JIS too: that is a finding of its own.
    EXPECT_EQ(findingNames(decodedOrFail(replaced(kData, "InAirTemp", nineteen + "温"))),
              (std::vector<std::string>{"ambiguous-encoding", "type-too-long"}));
}

TEST(Decoder, FormattersWriteTheLiteralForms)
{
    EXPECT_EQ(FormatNodeScan(), kHead + "<NODESCAN/></UECS>");
    EXPECT_EQ(FormatCcmScan(1), kHead + "<CCMSCAN/></UECS>");
    EXPECT_EQ(FormatCcmScan(3), kHead + R"(<CCMSCAN page="3"/></UECS>)");
    EXPECT_EQ(FormatNodeReply(*decodedOrFail(kNodeReply).node), kNodeReply);
    EXPECT_EQ(FormatCcmScanReply(*decodedOrFail(kCcmScanReply).ccmScanReply), kCcmScanReply);
    EXPECT_EQ(FormatSearch(*decodedOrFail(kSearch).search), kSearch);
    EXPECT_EQ(FormatSearchReply(*decodedOrFail(kSearchReply).searchReply), kSearchReply);
    EXPECT_EQ(FormatData(*decodedOrFail(kData).data), kData);
}

TEST(Decoder, MarkupInTextsSurvivesTheRoundTrip)
{
    NodeContent node{"a<b>&\"c'", "V", "10100C000001", "10.0.0.7", "0A1B2C3D4E5F"};
    const Decoded decoded = decodedOrFail(FormatNodeReply(node));
    EXPECT_EQ(decoded.node->name, node.name);

    SearchContent search{"<\"&>", 1, 2, 3};
    EXPECT_EQ(decodedOrFail(FormatSearch(search)).search->type, search.type);

    // A quote is escaped in an attribute only: in element text a peer
    // writes it plain, and the literal message must format back unchanged.
    const std::string literal = kHead +
                                "<NODE><NAME>Rain \"Ramp\"</NAME><VENDER>V</VENDER><UECSID>"
                                "10100C000001</UECSID><IP>10.0.0.7</IP><MAC>0A1B2C3D4E5F</MAC>"
                                "</NODE></UECS>";
    const Decoded quoted = decodedOrFail(literal);
    EXPECT_TRUE(quoted.findings.empty());
    EXPECT_EQ(FormatNodeReply(*quoted.node), literal);
}

TEST(Decoder, ValueDecimals)
{
    EXPECT_EQ(ValueDecimals("7"), 0);
    EXPECT_EQ(ValueDecimals("-23.50"), 2);
    EXPECT_EQ(ValueDecimals("0.000001"), 6);
    for (const char* notNumber : {"", "-", "1.", ".5", "1e3", "+1", " 1", "1,5"})
        EXPECT_EQ(ValueDecimals(notNumber), -1) << notNumber;
}

} // namespace
} // namespace ccm
