#include "ccm/AttributeMatch.h"

#include <string>

namespace ccm {

FoundAttributes MatchAttributes(std::span<const xml::Attribute> attributes,
                                std::span<const ExpectedAttribute> expected, std::string_view where,
                                std::vector<Finding>& findings)
{
    FoundAttributes found{};
    std::size_t last = 0;
    bool outOfOrder = false;
    for (const xml::Attribute& attribute : attributes) {
        std::size_t index = 0;
        while (index < expected.size() && expected[index].name != attribute.name)
            ++index;
        if (index == expected.size()) {
            findings.push_back(
                {Departure::ExtraAttribute,
                 std::string(where) + " has an extra attribute " + std::string(attribute.name)});
            continue;
        }
        outOfOrder = outOfOrder || index < last;
        last = index;
        found[index] = &attribute;
    }
    if (outOfOrder)
        findings.push_back(
            {Departure::AttributeOrder, std::string(where) + " has its attributes out of order"});
    for (std::size_t index = 0; index < expected.size(); ++index) {
        if (expected[index].required && found[index] == nullptr)
            findings.push_back(
                {Departure::MissingAttribute,
                 std::string(where) + " lacks the attribute " + std::string(expected[index].name)});
    }
    return found;
}

} // namespace ccm
