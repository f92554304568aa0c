#include "ccm/FormReader.h"

#include "ccm/AttributeMatch.h"
#include "ccm/CcmMessage.h"
#include "ccm/Cp932Decoder.h"
#include "ccm/DataMessage.h"
#include "ccm/FieldChecks.h"
#include "ccm/Ipv4Text.h"

#include <limits>

namespace ccm {

namespace {

using xml::ElementId;

constexpr std::int32_t kNoLimit = std::numeric_limits<std::int32_t>::max();
constexpr std::string_view kVersion = "1.00-E10";

constexpr ExpectedAttribute kDeclaration[] = {{"version"}, {"encoding", false}};
constexpr ExpectedAttribute kUecs[] = {{"ver"}};
constexpr ExpectedAttribute kData[] = {{"type"}, {"room"}, {"region"}, {"order"}, {"priority"}};
constexpr ExpectedAttribute kCcmScan[] = {{"page", false}};
constexpr ExpectedAttribute kCcmNum[] = {{"page"}, {"total"}};
constexpr ExpectedAttribute kCcm[] = {{"No"},   {"room"}, {"region"}, {"order"}, {"priority"},
                                      {"cast"}, {"unit"}, {"SR"},     {"LV"}};
constexpr ExpectedAttribute kSearch[] = {{"type"}, {"room"}, {"region"}, {"order"}};
constexpr ExpectedAttribute kServer[] = {{"type"}, {"room"}, {"region"}, {"order"}, {"priority"}};
constexpr ElementId kNodeChildren[] = {ElementId::Name, ElementId::Vender, ElementId::UecsId,
                                       ElementId::Ip, ElementId::Mac};

std::string tag(ElementId id)
{
    return std::string(xml::ElementTag(id));
}

class FormReader {
public:
    FormReader(std::string_view text, std::size_t base, Cp932Decoder* shiftJis,
               const xml::Document& document, Decoded& out, FormError& error)
        : text_(text), base_(base), shiftJis_(shiftJis), doc_(document), out_(out), error_(error)
    {
    }

    bool read();

private:
    bool fail(std::string what, std::size_t offsetInText)
    {
        error_ = {std::move(what), base_ + offsetInText};
        return false;
    }
    std::size_t offsetOf(std::string_view view) const
    {
        return static_cast<std::size_t>(view.data() - text_.data());
    }
    void note(Departure departure, std::string detail)
    {
        out_.findings.push_back({departure, std::move(detail)});
    }
    const xml::Element& element(std::size_t i) const { return doc_.elements[i]; }

    FoundAttributes attributes(const xml::Element& element,
                               std::span<const ExpectedAttribute> expected);
    bool integer(const xml::Attribute* attribute, std::int32_t lo, std::int32_t hi,
                 std::int32_t& out);
    bool integerText(std::string_view text, std::string_view what, std::int32_t lo, std::int32_t hi,
                     std::int32_t& out);
    bool text(std::string_view raw, std::string& out);
    bool text(const xml::Attribute* attribute, std::string& out);
    bool typeText(std::string_view raw, std::string& out);
    bool typeText(const xml::Attribute* attribute, std::string& out);
    bool ipText(const xml::Element& element, std::string& out);
    bool lastElement(std::size_t count);
    bool declaration();
    bool data();
    bool oneData(const xml::Element& element, DataContent& content);
    bool node();
    bool ccmScan();
    bool ccmScanReply();
    bool search();
    bool searchReply();

    std::string_view text_;
    std::size_t base_;
    Cp932Decoder* shiftJis_;
    const xml::Document& doc_;
    Decoded& out_;
    FormError& error_;
    std::string scratch_;
};

FoundAttributes FormReader::attributes(const xml::Element& element,
                                       std::span<const ExpectedAttribute> expected)
{
    // The empty-element form is part of the literal text too.
    const bool empty = element.id == ElementId::NodeScan || element.id == ElementId::CcmScan ||
                       element.id == ElementId::Search;
    if (element.selfClosed != empty && element.id != ElementId::Node &&
        element.id != ElementId::Uecs)
        note(Departure::EmptyElementForm,
             tag(element.id) +
                 (empty ? " written with an end tag" : " written as an empty element"));
    return MatchAttributes(
        std::span(doc_.attributes + element.firstAttribute, element.attributeCount), expected,
        xml::ElementTag(element.id), out_.findings);
}

bool FormReader::integerText(std::string_view text, std::string_view what, std::int32_t lo,
                             std::int32_t hi, std::int32_t& out)
{
    const IntegerText form = ParseInteger(text, out);
    if (form == IntegerText::NotANumber)
        return fail(std::string(what) + " is not an integer", offsetOf(text));
    if (form == IntegerText::Unusual)
        note(Departure::IntegerForm, std::string(what) + " \"" + std::string(text) +
                                         "\" is not written as a plain integer");
    if (out < lo || out > hi)
        note(Departure::OutOfRange, std::string(what) + " \"" + std::string(text) +
                                        "\" is outside " + std::to_string(lo) + ".." +
                                        (hi == kNoLimit ? std::string() : std::to_string(hi)));
    return true;
}

bool FormReader::integer(const xml::Attribute* attribute, std::int32_t lo, std::int32_t hi,
                         std::int32_t& out)
{
    if (attribute == nullptr)
        return true;
    return integerText(attribute->value, attribute->name, lo, hi, out);
}

// Resolves the entities (the scanner admitted only the five predefined
// ones) and converts Shift-JIS; the result's length is bounded.
bool FormReader::text(std::string_view raw, std::string& out)
{
    const bool plain = raw.find('&') == std::string_view::npos;
    std::string& resolved = shiftJis_ != nullptr || !plain ? scratch_ : out;
    if (plain)
        resolved.assign(raw);
    else
        xml::ResolveEntities(raw, resolved);
    if (shiftJis_ != nullptr) {
        out.clear();
        // The whole datagram was checked as Shift-JIS, and markup bytes are
        // never part of a character, so every text converts.
        shiftJis_->decode(resolved, out);
    } else if (&resolved != &out) {
        out = resolved;
    }
    if (out.size() > kMaxTextBytes)
        return fail("text longer than " + std::to_string(kMaxTextBytes) + " bytes", offsetOf(raw));
    return true;
}

bool FormReader::text(const xml::Attribute* attribute, std::string& out)
{
    return attribute == nullptr || text(attribute->value, out);
}

bool FormReader::typeText(std::string_view raw, std::string& out)
{
    if (!text(raw, out))
        return false;
    if (Utf8Chars(out) > kTypeMaxChars)
        note(Departure::TypeTooLong, "type \"" + out + "\" is longer than " +
                                         std::to_string(kTypeMaxChars) + " characters");
    return true;
}

bool FormReader::typeText(const xml::Attribute* attribute, std::string& out)
{
    return attribute == nullptr || typeText(attribute->value, out);
}

bool FormReader::ipText(const xml::Element& element, std::string& out)
{
    if (!text(element.text, out))
        return false;
    if (!ParseIpv4(out))
        note(Departure::IpNotIPv4, tag(element.id) + " \"" + out + "\" is not an IPv4 address");
    return true;
}

// The form ends with element `count - 1`: nothing may follow it.
bool FormReader::lastElement(std::size_t count)
{
    if (doc_.elementCount <= count)
        return true;
    const xml::Element& extra = element(count);
    return fail("unexpected element " + tag(extra.id), extra.offset);
}

bool FormReader::declaration()
{
    if (!doc_.hasDeclaration) {
        note(Departure::MissingDeclaration, "no XML declaration");
        return true;
    }
    const FoundAttributes found =
        MatchAttributes(std::span(doc_.attributes, doc_.declarationAttributes), kDeclaration,
                        "the XML declaration", out_.findings);
    if (found[0] != nullptr && found[0]->value != "1.0")
        return fail("XML version other than 1.0", offsetOf(found[0]->value));
    if (found[1] != nullptr)
        note(Departure::EncodingDeclared,
             "the XML declaration names an encoding (" + std::string(found[1]->value) + ")");
    return true;
}

bool FormReader::read()
{
    if (!declaration())
        return false;
    const xml::Element& root = element(0);
    const FoundAttributes found = attributes(root, kUecs);
    if (found[0] == nullptr)
        return fail("<UECS> without ver", root.offset);
    if (found[0]->value != kVersion)
        note(Departure::OtherVersion,
             "ver=\"" + std::string(found[0]->value) + "\" is not " + std::string(kVersion));
    if (doc_.elementCount == 1)
        return fail("<UECS> is empty", root.offset);
    const xml::Element& first = element(1);
    switch (first.id) {
    case ElementId::Data:
        return data();
    case ElementId::NodeScan:
        out_.kind = MessageKind::NodeScan;
        attributes(first, {});
        return lastElement(2);
    case ElementId::Node:
        return node();
    case ElementId::CcmScan:
        return ccmScan();
    case ElementId::CcmNum:
        return ccmScanReply();
    case ElementId::Search:
        return search();
    case ElementId::Server:
        return searchReply();
    default:
        return fail("unexpected element " + tag(first.id), first.offset);
    }
}

bool FormReader::data()
{
    out_.kind = MessageKind::Data;
    DataContent& first = out_.data.emplace();
    std::size_t i = 1;
    for (; i < doc_.elementCount && element(i).id == ElementId::Data; ++i) {
        // Later ones are checked as well, but only the first is kept.
        DataContent later;
        if (i == 2)
            note(Departure::SeveralData, "more than one <DATA> in the datagram");
        if (!oneData(element(i), i == 1 ? first : later))
            return false;
    }
    if (i == doc_.elementCount || element(i).id != ElementId::Ip)
        return fail("<DATA> without <IP> after it",
                    i == doc_.elementCount ? text_.size() : element(i).offset);
    attributes(element(i), {});
    return ipText(element(i), first.ip) && lastElement(i + 1);
}

bool FormReader::oneData(const xml::Element& data, DataContent& content)
{
    const FoundAttributes found = attributes(data, kData);
    if (!typeText(found[0], content.type) || !integer(found[1], 0, kMaxRoom, content.room) ||
        !integer(found[2], 0, kMaxRegion, content.region) ||
        !integer(found[3], 0, kMaxOrder, content.order) ||
        !integer(found[4], 0, kMaxPriority, content.priority) || !text(data.text, content.value))
        return false;
    if (ValueDecimals(content.value) < 0)
        note(Departure::ValueNotNumber, "value \"" + content.value + "\" is not a number");
    return true;
}

bool FormReader::node()
{
    out_.kind = MessageKind::NodeReply;
    NodeContent& content = out_.node.emplace();
    attributes(element(1), {});
    std::string* const texts[] = {&content.name, &content.vendor, &content.uecsId, &content.ip,
                                  &content.mac};
    for (std::size_t k = 0; k < std::size(kNodeChildren); ++k) {
        const std::size_t i = 2 + k;
        const ElementId id = kNodeChildren[k];
        if (i >= doc_.elementCount || element(i).id != id || element(i).depth != 2)
            return fail("<NODE> needs <NAME>, <VENDER>, <UECSID>, <IP> and <MAC> in this order",
                        i < doc_.elementCount ? element(i).offset : element(1).offset);
        attributes(element(i), {});
        if (id == ElementId::Ip ? !ipText(element(i), content.ip)
                                : !text(element(i).text, *texts[k]))
            return false;
        if ((id == ElementId::UecsId || id == ElementId::Mac) && !IsHexId(*texts[k]))
            note(Departure::IdNotHex,
                 tag(id) + " \"" + *texts[k] + "\" is not 12 upper-case hex digits");
    }
    return lastElement(2 + std::size(kNodeChildren));
}

bool FormReader::ccmScan()
{
    out_.kind = MessageKind::CcmScan;
    CcmScanContent& content = out_.ccmScan.emplace();
    const FoundAttributes found = attributes(element(1), kCcmScan);
    return integer(found[0], 1, kNoLimit, content.page) && lastElement(2);
}

bool FormReader::ccmScanReply()
{
    out_.kind = MessageKind::CcmScanReply;
    CcmScanReplyContent& content = out_.ccmScanReply.emplace();
    const xml::Element& number = element(1);
    const FoundAttributes pages = attributes(number, kCcmNum);
    if (!integer(pages[0], 1, kNoLimit, content.page) ||
        !integer(pages[1], 0, kNoLimit, content.total) ||
        !integerText(number.text, "<CCMNUM>", 0, kNoLimit, content.count))
        return false;
    if (pages[0] != nullptr && pages[1] != nullptr && content.page > content.total)
        note(Departure::OutOfRange, "page " + std::to_string(content.page) +
                                        " is beyond the total " + std::to_string(content.total));
    if (doc_.elementCount < 3 || element(2).id != ElementId::Ccm)
        return fail("<CCMNUM> without <CCM> after it",
                    doc_.elementCount < 3 ? text_.size() : element(2).offset);
    const xml::Element& ccm = element(2);
    const FoundAttributes found = attributes(ccm, kCcm);
    if (!integer(found[0], 1, kNoLimit, content.number) ||
        !integer(found[1], 0, kMaxRoom, content.room) ||
        !integer(found[2], 0, kMaxRegion, content.region) ||
        !integer(found[3], 0, kMaxOrder, content.order) ||
        !integer(found[4], 0, kMaxPriority, content.priority) ||
        !integer(found[5], 0, kMaxCast, content.cast) || !text(found[6], content.unit) ||
        !text(found[7], content.sr) || !text(found[8], content.level) ||
        !typeText(ccm.text, content.type))
        return false;
    if (found[7] != nullptr && content.sr != "S" && content.sr != "R")
        note(Departure::OutOfRange, "SR \"" + content.sr + "\" is neither S nor R");
    if (content.level.find('_') != std::string::npos)
        note(Departure::LevelUnderscore, "LV \"" + content.level + "\" is written with '_'");
    return lastElement(3);
}

bool FormReader::search()
{
    out_.kind = MessageKind::Search;
    SearchContent& content = out_.search.emplace();
    const FoundAttributes found = attributes(element(1), kSearch);
    return typeText(found[0], content.type) && integer(found[1], 0, kMaxRoom, content.room) &&
           integer(found[2], 0, kMaxRegion, content.region) &&
           integer(found[3], 0, kMaxOrder, content.order) && lastElement(2);
}

bool FormReader::searchReply()
{
    out_.kind = MessageKind::SearchReply;
    SearchReplyContent& content = out_.searchReply.emplace();
    const xml::Element& server = element(1);
    const FoundAttributes found = attributes(server, kServer);
    return typeText(found[0], content.type) && integer(found[1], 0, kMaxRoom, content.room) &&
           integer(found[2], 0, kMaxRegion, content.region) &&
           integer(found[3], 0, kMaxOrder, content.order) &&
           integer(found[4], 0, kMaxPriority, content.priority) && ipText(server, content.ip) &&
           lastElement(2);
}

} // namespace

bool ReadForm(std::string_view text, std::size_t base, Cp932Decoder* shiftJis,
              const xml::Document& document, Decoded& out, FormError& error)
{
    return FormReader(text, base, shiftJis, document, out, error).read();
}

} // namespace ccm
