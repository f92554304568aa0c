#pragma once

#include "ccm/Decoder.h"

#include <string>
#include <string_view>

namespace capture {

// The capture's name of a message kind: "data", "nodescan", "node", "ccmscan",
// "ccmscan-reply", "search", "search-reply".
const char* KindName(ccm::MessageKind kind);

// The decoded content as a JSON object, members named as the decoder's in
// snake_case, in the decoder's order.
void AppendFields(std::string& out, const ccm::Decoded& decoded);

} // namespace capture
