#pragma once

#include "ccm/Decoder.h"
#include "station/Scenario.h"

#include <string_view>

namespace judge {

// Whether an expectation watches this datagram: a data message of its type
// and, where given, room, region, order and source address; with no type (a
// lint of everything one address sends) any datagram from that address.
bool Selects(const station::SelectorSettings& selector, const ccm::DecodeResult& decoded,
             std::string_view sourceIp);

} // namespace judge
