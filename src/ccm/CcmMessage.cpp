#include "ccm/CcmMessage.h"

#include "ccm/DataMessage.h"

#include <charconv>

namespace ccm {

void FormatCcmMessage(const CcmFields& fields, std::string& out)
{
    char digits[12];
    const auto result = std::to_chars(digits, digits + sizeof digits, fields.data);
    DataFields data;
    data.type = fields.type;
    data.room = fields.room;
    data.region = fields.region;
    data.order = fields.order;
    data.priority = fields.priority;
    data.value = std::string_view(digits, result.ptr - digits);
    data.ip = fields.ip;
    FormatDataMessage(data, out);
}

std::string FormatCcmMessage(const CcmFields& fields)
{
    std::string out;
    FormatCcmMessage(fields, out);
    return out;
}

} // namespace ccm
