#pragma once

#include "ccm/Decoder.h"
#include "ccm/XmlScanner.h"

#include <array>
#include <span>
#include <string_view>
#include <vector>

namespace ccm {

// One attribute an element has in its literal form, in that form's order.
struct AttributeSpec {
    std::string_view name;
    bool required = true;
};

inline constexpr std::size_t kMaxAttributeSpecs = 9; // <CCM>'s
// The attribute found for each spec, by the spec's index, or null.
using FoundAttributes = std::array<const xml::Attribute*, kMaxAttributeSpecs>;

// Finds each spec's attribute among an element's `attributes`, noting every
// departure: an attribute no spec names, attributes out of the specs'
// order, a required one missing. `where` names the element in the findings.
FoundAttributes MatchAttributes(std::span<const xml::Attribute> attributes,
                                std::span<const AttributeSpec> specs, std::string_view where,
                                std::vector<Finding>& findings);

} // namespace ccm
