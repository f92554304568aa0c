#include "ccm/AttributeMatch.h"

#include <string>

namespace ccm {

FoundAttributes MatchAttributes(std::span<const xml::Attribute> attributes,
                                std::span<const AttributeSpec> specs, std::string_view where,
                                std::vector<Finding>& findings)
{
    FoundAttributes found{};
    std::size_t last = 0;
    bool outOfOrder = false;
    for (const xml::Attribute& attribute : attributes) {
        std::size_t spec = 0;
        while (spec < specs.size() && specs[spec].name != attribute.name)
            ++spec;
        if (spec == specs.size()) {
            findings.push_back(
                {Departure::ExtraAttribute,
                 std::string(where) + " has an extra attribute " + std::string(attribute.name)});
            continue;
        }
        outOfOrder = outOfOrder || spec < last;
        last = spec;
        found[spec] = &attribute;
    }
    if (outOfOrder)
        findings.push_back(
            {Departure::AttributeOrder, std::string(where) + " has its attributes out of order"});
    for (std::size_t spec = 0; spec < specs.size(); ++spec) {
        if (specs[spec].required && found[spec] == nullptr)
            findings.push_back(
                {Departure::MissingAttribute,
                 std::string(where) + " lacks the attribute " + std::string(specs[spec].name)});
    }
    return found;
}

} // namespace ccm
