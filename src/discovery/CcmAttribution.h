#pragma once

#include "discovery/AnsweringNode.h"

#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace discovery {

// The identity of a CCM that a SEARCH names.
using CcmKey = std::tuple<std::string, std::int32_t, std::int32_t, std::int32_t>;
CcmKey KeyOf(const ListedCcm& ccm);

// A CCMSCAN reply names no node, so a host that runs several nodes lists
// all their CCMs as one; a SEARCH for each CCM then tells which nodes send
// it (the IP texts of the SERVER replies, in the order they came). The
// n-th listing of a CCM goes to the n-th node that answered for it: a
// responder lists and answers its nodes in one order. A CCM a node receives
// has no senders to ask about; as a host lists node after node, it goes to
// the node of the sent CCM listed before it (or after it, when it comes
// first). With one node, every CCM is its own.
std::vector<std::vector<ListedCcm>>
AttributeCcms(const std::vector<std::string>& nodeIps, const std::vector<ListedCcm>& listed,
              const std::map<CcmKey, std::vector<std::string>>& senders);

} // namespace discovery
