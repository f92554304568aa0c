#include "station/Scenario.h"

namespace station {

CcmSpec ConditionCcm(const NodeSpec& node)
{
    CcmSpec condition;
    condition.type = "cnd";
    condition.room = node.room;
    condition.region = node.region;
    condition.level = *ParseLevel("A-1S-0");
    return condition;
}

bool EventMatches(const EventSpec& event, const CcmSpec& ccm)
{
    return event.type == ccm.type && (!event.room || *event.room == ccm.room) &&
           (!event.region || *event.region == ccm.region) &&
           (!event.order || *event.order == ccm.order);
}

} // namespace station
