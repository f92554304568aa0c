#pragma once

#include "ccm/Decoder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace discovery {

// What a node says about itself in its NODE reply: exactly the reply's
// content. Texts are UTF-8; the two ids are 12 upper-case hex digits.
using NodeIdentity = ccm::NodeContent;

// One CCM a node sends, as a CCMSCAN page and a SEARCH answer describe it.
struct ListedCcm {
    std::string type;
    std::int32_t room = 0;
    std::int32_t region = 0;
    std::int32_t order = 0;
    std::int32_t priority = 0;
    std::int32_t cast = 0;
    std::string unit;
    std::string level; // "A-1S-0", ...
    // "S": the node sends it; "R": it receives it (a CCMSCAN page says which).
    std::string sr = "S";
};

struct AnsweringNode {
    NodeIdentity identity;
    std::vector<ListedCcm> ccms;
};

} // namespace discovery
