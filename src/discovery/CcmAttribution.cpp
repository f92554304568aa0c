#include "discovery/CcmAttribution.h"

#include <algorithm>

namespace discovery {

CcmKey KeyOf(const ListedCcm& ccm)
{
    return {ccm.type, ccm.room, ccm.region, ccm.order};
}

std::vector<std::vector<ListedCcm>>
AttributeCcms(const std::vector<std::string>& nodeIps, const std::vector<ListedCcm>& listed,
              const std::map<CcmKey, std::vector<std::string>>& senders)
{
    std::vector<std::vector<ListedCcm>> ccms(nodeIps.size());
    if (nodeIps.size() == 1) {
        ccms[0] = listed;
        return ccms;
    }
    std::map<CcmKey, std::size_t> seen;
    for (const ListedCcm& ccm : listed) {
        const CcmKey key = KeyOf(ccm);
        const std::size_t occurrence = seen[key]++;
        const auto found = senders.find(key);
        if (found == senders.end() || occurrence >= found->second.size())
            continue;
        const auto node = std::find(nodeIps.begin(), nodeIps.end(), found->second[occurrence]);
        if (node != nodeIps.end())
            ccms[static_cast<std::size_t>(node - nodeIps.begin())].push_back(ccm);
    }
    return ccms;
}

} // namespace discovery
