#pragma once

#include "discovery/AnsweringNode.h"
#include "station/Station.h"

#include <vector>

namespace station {

// The nodes of a station that answer scans, with their identities (the
// scenario's, else the defaults) and every CCM they send.
std::vector<discovery::AnsweringNode> ScanAnswers(const Station& station);

} // namespace station
