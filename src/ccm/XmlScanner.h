#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ccm::xml {

// The elements of the UECS forms; any other name refuses the datagram.
enum class ElementId : std::uint8_t {
    Uecs,
    Data,
    Ip,
    NodeScan,
    Node,
    Name,
    Vender,
    UecsId,
    Mac,
    CcmScan,
    CcmNum,
    Ccm,
    Search,
    Server,
};

// "<DATA>", and "DATA".
std::string_view ElementTag(ElementId id);
std::string_view ElementName(ElementId id);

// Fixed capacities: the scanner never allocates, and a datagram that needs
// more is refused (the forms need 7 elements and 11 attributes at most).
inline constexpr std::size_t kMaxElements = 64;
inline constexpr std::size_t kMaxAttributes = 160;
// Elements nest UECS > NODE > NAME at most.
inline constexpr std::size_t kMaxDepth = 3;

// Views into the scanned text; values are raw (entities unresolved, checked).
struct Attribute {
    std::string_view name;
    std::string_view value;
};

struct Element {
    ElementId id;
    std::uint8_t depth; // 0 for the root
    bool selfClosed;    // <X/>
    std::uint16_t firstAttribute;
    std::uint16_t attributeCount;
    std::string_view text; // the content of a text element, else empty at the tag's end
    std::size_t offset;    // of its '<'
};

// Members are filled by Scan in order; only the first elementCount elements
// and attributeCount attributes are meaningful.
struct Document {
    bool hasDeclaration;
    std::uint16_t declarationAttributes; // the first ones in `attributes`
    std::size_t elementCount;
    std::size_t attributeCount;
    // Offsets of the first layout departure of each kind, or kNone.
    std::size_t spaceBetween;
    std::size_t spaceInTag;
    Element elements[kMaxElements];
    Attribute attributes[kMaxAttributes];
};

inline constexpr std::size_t kNone = static_cast<std::size_t>(-1);

struct ScanError {
    const char* what = nullptr;
    std::string_view name; // an element or attribute name the message refers to
    std::size_t offset = 0;
};

// Scans `text` (no BOM, no trailing NUL or line break) as an optional XML
// declaration and one well-formed UECS element tree in document order.
// Offsets are relative to `text`. Returns false and fills `error` on the
// first thing outside the forms' grammar.
bool Scan(std::string_view text, Document& document, ScanError& error);

// Replaces `out` with `raw` with its entities resolved; `raw` is a value or
// text Scan accepted, so it holds only the five predefined ones.
void ResolveEntities(std::string_view raw, std::string& out);

} // namespace ccm::xml
