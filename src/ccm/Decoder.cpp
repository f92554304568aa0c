#include "ccm/Decoder.h"

#include "ccm/Cp932Decoder.h"
#include "ccm/DeclaredEncoding.h"
#include "ccm/FormReader.h"
#include "ccm/Utf8.h"
#include "ccm/XmlScanner.h"
#include "runtime/Exception.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

namespace ccm {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Where the text stops being plain: the first control character (refused
// in any encoding), the first byte that is not UTF-8 (then it may be
// Shift-JIS), and the first that is not ASCII (then it may be either). One
// pass, with printable ASCII, the common case, first.
struct TextCheck {
    std::size_t control = std::string_view::npos;
    std::size_t notUtf8 = std::string_view::npos;
    std::size_t nonAscii = std::string_view::npos;
};

// Whether eight bytes are all printable ASCII (0x20..0x7F): no high bit
// set, and none below 0x20 (subtracting 0x20 from such a byte borrows into
// its high bit).
bool printableWord(const char* bytes)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHigh = 0x8080808080808080;
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return ((word | (word - 0x20 * kOnes)) & kHigh) == 0;
}

TextCheck checkText(std::string_view text)
{
    TextCheck check;
    for (std::size_t at = 0; at < text.size();) {
        // Typical messages are printable ASCII throughout: eight at a time
        // until something else comes.
        if (check.nonAscii == std::string_view::npos && at + 8 <= text.size() &&
            printableWord(text.data() + at)) {
            at += 8;
            continue;
        }
        const auto c = static_cast<unsigned char>(text[at]);
        if (c >= 0x20 && c < 0x80) {
            ++at;
        } else if (c < 0x20) {
            if (c != '\t' && c != '\n' && c != '\r') {
                check.control = at;
                return check;
            }
            ++at;
        } else if (check.nonAscii == std::string_view::npos) {
            check.nonAscii = at;
            continue;
        } else if (const std::size_t length = Utf8CharLength(text, at);
                   length != 0 && check.notUtf8 == std::string_view::npos) {
            at += length;
        } else {
            if (check.notUtf8 == std::string_view::npos)
                check.notUtf8 = at;
            ++at;
        }
    }
    return check;
}

// One converter per thread: iconv handles are not shared between threads,
// and opening one per datagram would cost more than the decoding.
Cp932Decoder* threadCp932Decoder()
{
    thread_local std::unique_ptr<Cp932Decoder> decoder;
    thread_local bool tried = false;
    if (!tried) {
        tried = true;
        try {
            decoder = std::make_unique<Cp932Decoder>();
        } catch (const runtime::Exception&) {
            // Left empty: Shift-JIS datagrams are then refused.
        }
    }
    return decoder.get();
}

// Strips a byte order mark and trailing NULs and line breaks (things a
// sender adds around the message), noting each.
std::string_view trim(std::string_view datagram, std::vector<Finding>& findings)
{
    std::string_view body = datagram;
    if (body.starts_with(kByteOrderMark)) {
        findings.push_back({Departure::ByteOrderMark, "a UTF-8 byte order mark in front"});
        body.remove_prefix(kByteOrderMark.size());
    }
    bool nul = false;
    bool lineBreak = false;
    while (!body.empty() && (body.back() == '\0' || body.back() == '\n' || body.back() == '\r')) {
        (body.back() == '\0' ? nul : lineBreak) = true;
        body.remove_suffix(1);
    }
    if (nul)
        findings.push_back({Departure::TrailingNul, "NUL bytes after the message"});
    if (lineBreak)
        findings.push_back({Departure::TrailingLineBreak, "a line break after the message"});
    if (datagram.size() > kStrictMessageBytes)
        findings.push_back({Departure::TooLong, std::to_string(datagram.size()) +
                                                    " bytes, over the " +
                                                    std::to_string(kStrictMessageBytes) +
                                                    " that the smallest receivers read"});
    return body;
}

// Which encoding to read text in that is valid UTF-8 and valid Shift-JIS
// alike, and the finding that says so: a receiver that guesses may read
// another text than was sent.
Encoding chooseAmbiguous(Encoding declared, Encoding preferred, std::size_t at,
                         std::vector<Finding>& findings)
{
    const Encoding chosen = declared != Encoding::Unknown    ? declared
                            : preferred != Encoding::Unknown ? preferred
                                                             : Encoding::Utf8;
    const char* why = declared != Encoding::Unknown    ? "as the declaration names"
                      : preferred != Encoding::Unknown ? "as its sender wrote before"
                                                       : "by default";
    findings.push_back(
        {Departure::AmbiguousEncoding, "text from byte " + std::to_string(at) +
                                           " reads as UTF-8 and as Shift-JIS alike; read as " +
                                           EncodingName(chosen) + ", " + why});
    return chosen;
}

DecodeResult refuse(std::string what, std::size_t offset)
{
    DecodeResult result;
    result.error = std::move(what);
    result.offset = offset;
    return result;
}

} // namespace

const char* DepartureName(Departure departure)
{
    switch (departure) {
    case Departure::ByteOrderMark:
        return "byte-order-mark";
    case Departure::MissingDeclaration:
        return "missing-declaration";
    case Departure::EncodingDeclared:
        return "encoding-declared";
    case Departure::AmbiguousEncoding:
        return "ambiguous-encoding";
    case Departure::OtherVersion:
        return "other-version";
    case Departure::SpaceBetweenElements:
        return "space-between-elements";
    case Departure::SpaceInTag:
        return "space-in-tag";
    case Departure::EmptyElementForm:
        return "empty-element-form";
    case Departure::AttributeOrder:
        return "attribute-order";
    case Departure::MissingAttribute:
        return "missing-attribute";
    case Departure::ExtraAttribute:
        return "extra-attribute";
    case Departure::SeveralData:
        return "several-data";
    case Departure::TypeTooLong:
        return "type-too-long";
    case Departure::OutOfRange:
        return "out-of-range";
    case Departure::IntegerForm:
        return "integer-form";
    case Departure::ValueNotNumber:
        return "value-not-number";
    case Departure::IpNotIPv4:
        return "ip-not-ipv4";
    case Departure::IdNotHex:
        return "id-not-hex";
    case Departure::LevelUnderscore:
        return "level-underscore";
    case Departure::TooLong:
        return "too-long";
    case Departure::TrailingNul:
        return "trailing-nul";
    case Departure::TrailingLineBreak:
        return "trailing-line-break";
    }
    return "unknown";
}

DecodeResult Decode(std::string_view datagram, Encoding preferred)
{
    if (datagram.size() > kMaxDecodedBytes)
        return refuse("longer than " + std::to_string(kMaxDecodedBytes) + " bytes",
                      kMaxDecodedBytes);
    // Built in place: the result is large, and a copy would cost as much as
    // a good part of the decoding.
    DecodeResult result;
    Decoded& decoded = result.message.emplace();
    const std::string_view body = trim(datagram, decoded.findings);
    const std::size_t base = static_cast<std::size_t>(body.data() - datagram.data());
    const TextCheck check = checkText(body);
    if (check.control != std::string_view::npos)
        return refuse("a control character", base + check.control);

    Cp932Decoder* shiftJis = nullptr;
    // Set when the text reads in both encodings; the declaration decides.
    Cp932Decoder* ambiguous = nullptr;
    if (const std::size_t badUtf8 = check.notUtf8; badUtf8 != std::string_view::npos) {
        shiftJis = threadCp932Decoder();
        if (shiftJis == nullptr)
            return refuse("not UTF-8, and no Shift-JIS converter on this system", base + badUtf8);
        std::string scratch;
        const std::size_t badShiftJis = shiftJis->decode(body, scratch);
        // Report where the likelier of the two encodings broke: the one that
        // read further.
        if (badShiftJis != Cp932Decoder::kAllDecoded)
            return refuse("neither UTF-8 nor Shift-JIS", base + std::max(badUtf8, badShiftJis));
        decoded.shiftJis = true;
        decoded.evident = Encoding::ShiftJis;
    } else if (check.nonAscii != std::string_view::npos) {
        Cp932Decoder* cp932 = threadCp932Decoder();
        std::string scratch;
        if (cp932 != nullptr && cp932->decode(body, scratch) == Cp932Decoder::kAllDecoded)
            ambiguous = cp932;
        else
            decoded.evident = Encoding::Utf8;
    }

    // Several kilobytes of fixed arrays: kept per thread, not on each call's
    // stack frame, and never initialised as a whole.
    thread_local xml::Document document;
    xml::ScanError scanError;
    if (!xml::Scan(body, document, scanError)) {
        std::string what = scanError.what;
        if (!scanError.name.empty())
            what += ": " + std::string(scanError.name.substr(0, 32));
        return refuse(std::move(what), base + scanError.offset);
    }
    if (document.spaceBetween != xml::kNone)
        decoded.findings.push_back(
            {Departure::SpaceBetweenElements, "white space between elements at byte " +
                                                  std::to_string(base + document.spaceBetween)});
    if (document.spaceInTag != xml::kNone)
        decoded.findings.push_back(
            {Departure::SpaceInTag,
             "white space inside a tag at byte " + std::to_string(base + document.spaceInTag)});
    if (ambiguous != nullptr) {
        const Encoding declared = DeclaredEncoding(document);
        if (chooseAmbiguous(declared, preferred, base + check.nonAscii, decoded.findings) ==
            Encoding::ShiftJis) {
            shiftJis = ambiguous;
            decoded.shiftJis = true;
        }
        decoded.evident = declared;
    }
    FormError formError;
    if (!ReadForm(body, base, shiftJis, document, decoded, formError))
        return refuse(std::move(formError.what), formError.offset);
    return result;
}

} // namespace ccm
