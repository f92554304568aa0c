#include "station/Scenario.h"

namespace station {

CcmSettings ConditionCcm(const NodeSettings& node)
{
    CcmSettings condition;
    condition.type = "cnd";
    condition.room = node.room;
    condition.region = node.region;
    condition.level = *ParseLevel("A-1S-0");
    return condition;
}

bool EventMatches(const EventSettings& event, const CcmSettings& ccm)
{
    return event.type == ccm.type && (!event.room || *event.room == ccm.room) &&
           (!event.region || *event.region == ccm.region) &&
           (!event.order || *event.order == ccm.order);
}

} // namespace station
