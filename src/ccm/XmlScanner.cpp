#include "ccm/XmlScanner.h"

#include <array>

namespace ccm::xml {

namespace {

using namespace std::string_view_literals;

enum class Content { Children, Text, Nothing };

constexpr struct {
    std::string_view tag;
    ElementId id;
} kElements[] = {
    {"<UECS>"sv, ElementId::Uecs},     {"<DATA>"sv, ElementId::Data},
    {"<IP>"sv, ElementId::Ip},         {"<NODESCAN>"sv, ElementId::NodeScan},
    {"<NODE>"sv, ElementId::Node},     {"<NAME>"sv, ElementId::Name},
    {"<VENDER>"sv, ElementId::Vender}, {"<UECSID>"sv, ElementId::UecsId},
    {"<MAC>"sv, ElementId::Mac},       {"<CCMSCAN>"sv, ElementId::CcmScan},
    {"<CCMNUM>"sv, ElementId::CcmNum}, {"<CCM>"sv, ElementId::Ccm},
    {"<SEARCH>"sv, ElementId::Search}, {"<SERVER>"sv, ElementId::Server},
};

std::string_view nameIn(std::string_view tag)
{
    return tag.substr(1, tag.size() - 2);
}

bool lookUp(std::string_view name, ElementId& id)
{
    for (const auto& element : kElements) {
        if (nameIn(element.tag) == name) {
            id = element.id;
            return true;
        }
    }
    return false;
}

Content contentOf(ElementId id)
{
    switch (id) {
    case ElementId::Uecs:
    case ElementId::Node:
        return Content::Children;
    case ElementId::NodeScan:
    case ElementId::CcmScan:
    case ElementId::Search:
        return Content::Nothing;
    default:
        return Content::Text;
    }
}

// Which element may stand where; this also bounds the nesting.
bool allowedIn(ElementId child, const ElementId* parent)
{
    if (parent == nullptr)
        return child == ElementId::Uecs;
    if (*parent == ElementId::Uecs)
        return child != ElementId::Uecs && child != ElementId::Name && child != ElementId::Vender &&
               child != ElementId::UecsId && child != ElementId::Mac;
    if (*parent == ElementId::Node)
        return child == ElementId::Name || child == ElementId::Vender ||
               child == ElementId::UecsId || child == ElementId::Ip || child == ElementId::Mac;
    return false;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// A table, not a chain of comparisons: names are most of what is scanned.
constexpr auto kNameChars = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                   c == '_' || c == '-' || c == '.' || c == ':';
    return table;
}();

bool isNameChar(char c)
{
    return kNameChars[static_cast<unsigned char>(c)];
}

class Scanner {
public:
    Scanner(std::string_view text, Document& document, ScanError& error)
        : text_(text), doc_(document), error_(error)
    {
    }

    bool run();

private:
    bool fail(const char* what, std::size_t offset, std::string_view name = {})
    {
        error_ = {what, name, offset};
        return false;
    }
    char at(std::size_t i) const { return i < text_.size() ? text_[i] : '\0'; }
    std::size_t skipSpaces();
    std::string_view readName();
    void noteSpaceInTag(std::size_t offset);
    bool attributes(std::uint16_t first, std::uint16_t& count, bool& selfClosed, bool declaration);
    bool attribute(std::uint16_t first, std::uint16_t& count);
    bool checkEntities(std::string_view raw, bool inAttribute);
    bool startTag();
    bool textContent(Element& element, std::string_view name);
    bool closeTag(std::string_view expected);
    bool endTag();

    std::string_view text_;
    Document& doc_;
    ScanError& error_;
    std::size_t pos_ = 0;
    ElementId stack_[kMaxDepth];
    std::size_t depth_ = 0;
    bool rootDone_ = false;
};

std::size_t Scanner::skipSpaces()
{
    const std::size_t start = pos_;
    while (pos_ < text_.size() && isSpace(text_[pos_]))
        ++pos_;
    return pos_ - start;
}

std::string_view Scanner::readName()
{
    const std::size_t start = pos_;
    while (pos_ < text_.size() && isNameChar(text_[pos_]))
        ++pos_;
    return text_.substr(start, pos_ - start);
}

void Scanner::noteSpaceInTag(std::size_t offset)
{
    if (doc_.spaceInTag == kNone)
        doc_.spaceInTag = offset;
}

// The five predefined entities only: character references and others would
// let text hide bytes the encoding checks never saw.
bool Scanner::checkEntities(std::string_view raw, bool inAttribute)
{
    const std::size_t base = static_cast<std::size_t>(raw.data() - text_.data());
    if (inAttribute) {
        if (const auto lt = raw.find('<'); lt != std::string_view::npos)
            return fail("'<' in an attribute value", base + lt);
    }
    for (auto amp = raw.find('&'); amp != std::string_view::npos; amp = raw.find('&', amp + 1)) {
        const auto semicolon = raw.find(';', amp);
        const std::string_view entity = semicolon == std::string_view::npos
                                            ? raw.substr(amp)
                                            : raw.substr(amp, semicolon - amp + 1);
        if (entity != "&lt;" && entity != "&gt;" && entity != "&amp;" && entity != "&quot;" &&
            entity != "&apos;")
            return fail("unknown entity or character reference", base + amp);
    }
    return true;
}

bool Scanner::attribute(std::uint16_t first, std::uint16_t& count)
{
    const std::size_t nameAt = pos_;
    const std::string_view name = readName();
    if (name.empty())
        return fail("malformed attribute", pos_);
    if (skipSpaces() != 0)
        noteSpaceInTag(nameAt + name.size());
    if (at(pos_) != '=')
        return fail("attribute without a value", pos_, name);
    ++pos_;
    if (skipSpaces() != 0)
        noteSpaceInTag(pos_);
    if (at(pos_) == '\'')
        return fail("attribute value in single quotes", pos_, name);
    if (at(pos_) != '"')
        return fail("attribute value without quotes", pos_, name);
    const std::size_t valueAt = ++pos_;
    // One pass for the closing quote and the two characters a value may not
    // hold as they are: values are short, and a search per character costs
    // more than the scan.
    std::size_t end = valueAt;
    bool marked = false;
    for (; end < text_.size() && text_[end] != '"'; ++end)
        marked |= text_[end] == '<' || text_[end] == '&';
    if (end == text_.size())
        return fail("unterminated attribute value", valueAt - 1, name);
    const std::string_view value = text_.substr(valueAt, end - valueAt);
    if (marked && !checkEntities(value, true))
        return false;
    pos_ = end + 1;
    for (std::size_t i = first; i < first + count; ++i) {
        if (doc_.attributes[i].name == name)
            return fail("attribute given twice", nameAt, name);
    }
    if (doc_.attributeCount == kMaxAttributes)
        return fail("too many attributes", nameAt);
    doc_.attributes[doc_.attributeCount++] = {name, value};
    ++count;
    return true;
}

// Reads attributes up to the tag's end: '>' or "/>", or "?>" for the
// declaration. The literal form has exactly one space before each attribute.
bool Scanner::attributes(std::uint16_t first, std::uint16_t& count, bool& selfClosed,
                         bool declaration)
{
    count = 0;
    selfClosed = false;
    for (;;) {
        const std::size_t spaceAt = pos_;
        const std::size_t spaces = skipSpaces();
        const char c = at(pos_);
        const char* close = declaration ? "?>" : c == '/' ? "/>" : ">";
        if (c == close[0]) {
            if (close[1] != '\0' && at(pos_ + 1) != close[1])
                return fail("malformed tag", pos_);
            if (spaces != 0)
                noteSpaceInTag(spaceAt);
            pos_ += close[1] == '\0' ? 1 : 2;
            selfClosed = c == '/';
            return true;
        }
        if (pos_ == text_.size())
            return fail("unterminated tag", pos_);
        if (spaces == 0)
            return fail("attribute without a space before it", pos_);
        if (spaces > 1 || text_[spaceAt] != ' ')
            noteSpaceInTag(spaceAt);
        if (!attribute(first, count))
            return false;
    }
}

bool Scanner::startTag()
{
    const std::size_t tagAt = pos_++;
    const std::string_view name = readName();
    if (name.empty())
        return fail("malformed tag", tagAt);
    ElementId id;
    if (!lookUp(name, id))
        return fail("unknown element", tagAt, name);
    if (depth_ == 0 && rootDone_)
        return fail("second root element", tagAt, name);
    if (!allowedIn(id, depth_ == 0 ? nullptr : &stack_[depth_ - 1]))
        return fail(depth_ == 0 ? "the root element is not UECS" : "element out of place", tagAt,
                    name);
    if (doc_.elementCount == kMaxElements)
        return fail("too many elements", tagAt);
    Element& element = doc_.elements[doc_.elementCount++];
    element.id = id;
    element.depth = static_cast<std::uint8_t>(depth_);
    element.offset = tagAt;
    element.firstAttribute = static_cast<std::uint16_t>(doc_.attributeCount);
    if (!attributes(element.firstAttribute, element.attributeCount, element.selfClosed, false))
        return false;
    // An empty text that still says where it is, for messages about it.
    element.text = text_.substr(pos_, 0);
    if (element.selfClosed) {
        rootDone_ = depth_ == 0;
        return true;
    }
    if (contentOf(id) == Content::Text)
        return textContent(element, name);
    if (depth_ == kMaxDepth)
        return fail("elements nested too deep", tagAt, name);
    stack_[depth_++] = id;
    return true;
}

bool Scanner::textContent(Element& element, std::string_view name)
{
    const std::size_t start = pos_;
    const auto lt = text_.find('<', start);
    if (lt == std::string_view::npos)
        return fail("unclosed element", text_.size(), name);
    element.text = text_.substr(start, lt - start);
    if (!checkEntities(element.text, false))
        return false;
    pos_ = lt;
    if (at(pos_ + 1) != '/')
        return fail("element holds only text", pos_, name);
    return closeTag(name);
}

bool Scanner::closeTag(std::string_view expected)
{
    const std::size_t tagAt = pos_;
    pos_ += 2;
    const std::string_view name = readName();
    if (name != expected)
        return fail("end tag does not match", tagAt, name.empty() ? expected : name);
    if (skipSpaces() != 0)
        noteSpaceInTag(tagAt + 2 + name.size());
    if (at(pos_) != '>')
        return fail("malformed end tag", pos_, name);
    ++pos_;
    return true;
}

bool Scanner::endTag()
{
    if (depth_ == 0)
        return fail("end tag without a start tag", pos_);
    if (!closeTag(ElementName(stack_[depth_ - 1])))
        return false;
    rootDone_ = --depth_ == 0;
    return true;
}

bool Scanner::run()
{
    doc_.hasDeclaration = false;
    doc_.declarationAttributes = 0;
    doc_.elementCount = 0;
    doc_.attributeCount = 0;
    doc_.spaceBetween = kNone;
    doc_.spaceInTag = kNone;
    if (text_.starts_with("<?xml") && (isSpace(at(5)) || at(5) == '?')) {
        pos_ = 5;
        bool selfClosed;
        if (!attributes(0, doc_.declarationAttributes, selfClosed, true))
            return false;
        doc_.hasDeclaration = true;
    }
    for (;;) {
        const std::size_t spaceAt = pos_;
        if (skipSpaces() != 0 && doc_.spaceBetween == kNone)
            doc_.spaceBetween = spaceAt;
        if (pos_ == text_.size())
            break;
        const char next = at(pos_ + 1);
        if (text_[pos_] != '<')
            return fail(depth_ != 0 ? "text where none belongs"
                        : rootDone_ ? "text after the root element"
                                    : "text before the root element",
                        pos_);
        if (next == '!')
            return fail(text_.substr(pos_).starts_with("<!--") ? "comment"
                                                               : "DOCTYPE or CDATA section",
                        pos_);
        if (next == '?')
            return fail("processing instruction", pos_);
        if (!(next == '/' ? endTag() : startTag()))
            return false;
    }
    if (depth_ != 0)
        return fail("unclosed element", pos_, ElementName(stack_[depth_ - 1]));
    if (!rootDone_)
        return fail("no UECS element", pos_);
    return true;
}

} // namespace

std::string_view ElementTag(ElementId id)
{
    for (const auto& element : kElements) {
        if (element.id == id)
            return element.tag;
    }
    return {};
}

std::string_view ElementName(ElementId id)
{
    return nameIn(ElementTag(id));
}

void ResolveEntities(std::string_view raw, std::string& out)
{
    out.clear();
    for (std::size_t at = 0; at < raw.size();) {
        if (raw[at] != '&') {
            out += raw[at++];
            continue;
        }
        const std::size_t end = raw.find(';', at);
        const std::string_view name = raw.substr(at + 1, end - at - 1);
        out += name == "lt"     ? '<'
               : name == "gt"   ? '>'
               : name == "amp"  ? '&'
               : name == "quot" ? '"'
                                : '\'';
        at = end + 1;
    }
}

bool Scan(std::string_view text, Document& document, ScanError& error)
{
    return Scanner(text, document, error).run();
}

} // namespace ccm::xml
