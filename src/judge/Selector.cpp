#include "judge/Selector.h"

namespace judge {

bool Selects(const station::SelectorSettings& selector, const ccm::DecodeResult& decoded,
             std::string_view sourceIp)
{
    if (selector.from && *selector.from != sourceIp)
        return false;
    if (selector.type.empty())
        return true;
    if (!decoded.message || !decoded.message->data)
        return false;
    const ccm::DataContent& data = *decoded.message->data;
    const auto agrees = [](const std::optional<std::int32_t>& wanted, std::int32_t actual) {
        return !wanted || *wanted == actual;
    };
    return data.type == selector.type && agrees(selector.room, data.room) &&
           agrees(selector.region, data.region) && agrees(selector.order, data.order);
}

} // namespace judge
