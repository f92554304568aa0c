#pragma once

#include "ccm/Decoder.h"
#include "ccm/XmlScanner.h"

#include <array>
#include <span>
#include <string_view>
#include <vector>

namespace ccm {

// One attribute an element has in its literal form, in that form's order.
struct ExpectedAttribute {
    std::string_view name;
    bool required = true;
};

inline constexpr std::size_t kMaxExpectedAttributes = 9; // <CCM>'s
// The attribute found for each expected one, by its index, or null.
using FoundAttributes = std::array<const xml::Attribute*, kMaxExpectedAttributes>;

// Finds each expected attribute among an element's `attributes`, noting
// every departure: an attribute not expected, attributes out of the expected
// order, a required one missing. `where` names the element in the findings.
FoundAttributes MatchAttributes(std::span<const xml::Attribute> attributes,
                                std::span<const ExpectedAttribute> expected, std::string_view where,
                                std::vector<Finding>& findings);

} // namespace ccm
