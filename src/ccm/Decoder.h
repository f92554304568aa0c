#pragma once

#include "ccm/CcmMessage.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ccm {

// The ports of the discovery requests and their replies.
inline constexpr std::uint16_t kSearchPort = 16521;
inline constexpr std::uint16_t kScanPort = 16529;
// The smallest receive buffer in the field: longer messages are cut there.
inline constexpr std::size_t kStrictMessageBytes = 300;
// The longest datagram the decoder looks at; anything longer is refused
// before it is read.
inline constexpr std::size_t kMaxDecodedBytes = 4096;

enum class MessageKind {
    Data,     // <DATA ...>value</DATA><IP>...</IP>
    NodeScan, // <NODESCAN/>
    NodeReply, // <NODE><NAME>..</NAME><VENDER>..</VENDER><UECSID>..</UECSID><IP>..</IP><MAC>..</MAC></NODE>
    CcmScan, // <CCMSCAN/> or <CCMSCAN page="N"/>
    // <CCMNUM page total>n</CCMNUM><CCM No room region order priority cast unit SR LV>type</CCM>
    CcmScanReply,
    Search,      // <SEARCH type room region order/>
    SearchReply, // <SERVER type room region order priority>IP</SERVER>
};

// Every text below is UTF-8, whatever the datagram's encoding was, with the
// five XML entities resolved, and at most kMaxTextBytes bytes long (a longer
// one refuses the message).
inline constexpr std::size_t kMaxTextBytes = 255;
// Integer ranges; outside them is a finding.
inline constexpr std::int32_t kMaxRoom = 127;
inline constexpr std::int32_t kMaxRegion = 127;
inline constexpr std::int32_t kMaxOrder = 30000;
inline constexpr std::int32_t kMaxPriority = 30;

struct DataContent {
    std::string type;
    std::int32_t room = 0;
    std::int32_t region = 0;
    std::int32_t order = 0;
    std::int32_t priority = 0;
    std::string value; // as written
    std::string ip;    // the <IP> text as written

    bool operator==(const DataContent&) const = default;
};

struct NodeContent {
    std::string name;
    std::string vendor; // VENDER on the wire
    std::string uecsId; // 12 hex digits
    std::string ip;
    std::string mac; // 12 hex digits

    bool operator==(const NodeContent&) const = default;
};

struct CcmScanContent {
    std::int32_t page = 1;

    bool operator==(const CcmScanContent&) const = default;
};

struct CcmScanReplyContent {
    std::int32_t page = 1;
    std::int32_t total = 0;
    std::int32_t count = 1;  // the CCMNUM text: CCMs on this page
    std::int32_t number = 1; // No
    std::int32_t room = 0;
    std::int32_t region = 0;
    std::int32_t order = 0;
    std::int32_t priority = 0;
    std::int32_t cast = 0;
    std::string unit;
    std::string sr;    // "S" or "R"
    std::string level; // as written: "A-1S-0" (or "A_1S_0")
    std::string type;

    bool operator==(const CcmScanReplyContent&) const = default;
};

struct SearchContent {
    std::string type;
    std::int32_t room = 0; // 0: any
    std::int32_t region = 0;
    std::int32_t order = 0;

    bool operator==(const SearchContent&) const = default;
};

struct SearchReplyContent {
    std::string type;
    std::int32_t room = 0;
    std::int32_t region = 0;
    std::int32_t order = 0;
    std::int32_t priority = 0;
    std::string ip;

    bool operator==(const SearchReplyContent&) const = default;
};

// A way the datagram departs from the literal one-line form that strict
// receivers match byte for byte. The message is still understood.
enum class Departure {
    ByteOrderMark,
    MissingDeclaration,   // no <?xml version="1.0"?> in front
    EncodingDeclared,     // encoding="..." in the XML declaration
    AmbiguousEncoding,    // the text reads as UTF-8 and as Shift-JIS alike
    OtherVersion,         // ver= other than "1.00-E10"
    SpaceBetweenElements, // line breaks, tabs or spaces between tags
    SpaceInTag,           // more than one space, or spaces around '=' or before '>'
    EmptyElementForm,     // <NODESCAN></NODESCAN> for <NODESCAN/>, or <IP/> for <IP></IP>
    AttributeOrder,
    MissingAttribute,
    ExtraAttribute,
    SeveralData,     // more than one DATA in one datagram
    TypeTooLong,     // over kTypeMaxChars characters
    OutOfRange,      // room/region/order/priority, page, cast, No, SR outside their ranges
    IntegerForm,     // an integer written with leading zeros or as "-0"
    ValueNotNumber,  // a DATA value that is not a decimal number
    IpNotIPv4,       // <IP> (or a reply's address) is not a dotted IPv4 text
    IdNotHex,        // UECSID or MAC is not 12 upper-case hex digits
    LevelUnderscore, // LV written with '_' for '-'
    TooLong,         // over kStrictMessageBytes bytes
    TrailingNul,
    TrailingLineBreak,
};

struct Finding {
    Departure departure;
    // One line for people: what and where ("room=\"200\" is outside 0..127").
    std::string detail;
};

// Stable names for JSON and tests: "byte-order-mark", "attribute-order", ...
const char* DepartureName(Departure departure);

// The encodings a datagram's text may be in.
enum class Encoding { Unknown, Utf8, ShiftJis };

struct Decoded {
    MessageKind kind = MessageKind::Data;
    bool shiftJis = false; // texts were decoded from Shift-JIS (else ASCII/UTF-8)
    // The encoding the datagram shows its sender uses: its non-ASCII text
    // reads in only that one, or the declaration names it. Unknown for ASCII
    // and for text that reads both ways undeclared.
    Encoding evident = Encoding::Unknown;
    // Exactly the member of `kind` is set (none for NodeScan, which has no
    // content); for Data, `data` holds the first DATA.
    std::optional<DataContent> data;
    std::optional<NodeContent> node;
    std::optional<CcmScanContent> ccmScan;
    std::optional<CcmScanReplyContent> ccmScanReply;
    std::optional<SearchContent> search;
    std::optional<SearchReplyContent> searchReply;
    std::vector<Finding> findings;
};

struct DecodeResult {
    // Set when the datagram is one of the forms above.
    std::optional<Decoded> message;
    // Otherwise why not, and the byte offset where it went wrong.
    std::string error;
    std::size_t offset = 0;
};

// The number of decimals `value` is written with ("23.50" has 2, "7" has 0),
// or -1 when it is not a decimal number (optional '-', digits, optionally '.'
// and digits).
int ValueDecimals(std::string_view value);

// Decodes one datagram. Never throws for any input, never recurses without a
// bound, and allocates only in proportion to the datagram (bounded by
// kMaxDecodedBytes). Text that reads both as UTF-8 and as Shift-JIS (a
// half-width katakana pair is a UTF-8 letter) is read in the encoding the
// XML declaration names, else in `preferred` (what its sender used before),
// else as UTF-8, and noted as an ambiguous-encoding finding.
DecodeResult Decode(std::string_view datagram, Encoding preferred = Encoding::Unknown);

} // namespace ccm
