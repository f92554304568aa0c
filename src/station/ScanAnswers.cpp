#include "station/ScanAnswers.h"

#include "discovery/Identity.h"

namespace station {

std::vector<discovery::AnsweringNode> ScanAnswers(const Station& station)
{
    std::vector<discovery::AnsweringNode> answers;
    for (std::size_t index = 0; index < station.nodeCount(); ++index) {
        const Station::NodeView node = station.node(index);
        const NodeSettings& settings = node.settings;
        if (!settings.answerScans)
            continue;
        discovery::AnsweringNode& answer = answers.emplace_back();
        answer.identity = discovery::DefaultIdentity(node.ip);
        discovery::NodeIdentity& identity = answer.identity;
        identity.name = settings.name.value_or(identity.name);
        identity.vendor = settings.vendor.value_or(identity.vendor);
        identity.uecsId = settings.uecsId.value_or(identity.uecsId);
        if (settings.mac)
            identity.mac =
                discovery::OffsetId(*settings.mac, static_cast<std::uint32_t>(node.copy));
        for (const CcmSettings* ccm : node.ccms)
            answer.ccms.push_back({ccm->type, ccm->room, ccm->region, ccm->order, ccm->priority,
                                   ccm->cast, ccm->unit, std::string(ccm->level.name)});
    }
    return answers;
}

} // namespace station
