#include "discovery/CcmAttribution.h"

#include <algorithm>
#include <optional>

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
    // Received CCMs waiting for the node of the next sent one, when they
    // come first.
    std::vector<ListedCcm> leading;
    std::optional<std::size_t> last;
    for (const ListedCcm& ccm : listed) {
        if (ccm.sr == "R") {
            if (last)
                ccms[*last].push_back(ccm);
            else
                leading.push_back(ccm);
            continue;
        }
        const CcmKey key = KeyOf(ccm);
        const std::size_t occurrence = seen[key]++;
        const auto found = senders.find(key);
        if (found == senders.end() || occurrence >= found->second.size())
            continue;
        const auto node = std::find(nodeIps.begin(), nodeIps.end(), found->second[occurrence]);
        if (node == nodeIps.end())
            continue;
        last = static_cast<std::size_t>(node - nodeIps.begin());
        ccms[*last].insert(ccms[*last].end(), leading.begin(), leading.end());
        leading.clear();
        ccms[*last].push_back(ccm);
    }
    return ccms;
}

} // namespace discovery
