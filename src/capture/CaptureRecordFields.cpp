#include "capture/CaptureRecordFields.h"

#include "monitor/JsonObject.h"

namespace capture {

using monitor::JsonObject;

namespace {

void Write(JsonObject& object, const ccm::DataContent& data)
{
    object.string("type", data.type);
    object.integer("room", data.room);
    object.integer("region", data.region);
    object.integer("order", data.order);
    object.integer("priority", data.priority);
    object.string("value", data.value);
    object.string("ip", data.ip);
}

void Write(JsonObject& object, const ccm::NodeContent& node)
{
    object.string("name", node.name);
    object.string("vendor", node.vendor);
    object.string("uecs_id", node.uecsId);
    object.string("ip", node.ip);
    object.string("mac", node.mac);
}

void Write(JsonObject& object, const ccm::CcmScanContent& scan)
{
    object.integer("page", scan.page);
}

void Write(JsonObject& object, const ccm::CcmScanReplyContent& reply)
{
    object.integer("page", reply.page);
    object.integer("total", reply.total);
    object.integer("count", reply.count);
    object.integer("number", reply.number);
    object.integer("room", reply.room);
    object.integer("region", reply.region);
    object.integer("order", reply.order);
    object.integer("priority", reply.priority);
    object.integer("cast", reply.cast);
    object.string("unit", reply.unit);
    object.string("sr", reply.sr);
    object.string("level", reply.level);
    object.string("type", reply.type);
}

void Write(JsonObject& object, const ccm::SearchContent& search)
{
    object.string("type", search.type);
    object.integer("room", search.room);
    object.integer("region", search.region);
    object.integer("order", search.order);
}

void Write(JsonObject& object, const ccm::SearchReplyContent& reply)
{
    object.string("type", reply.type);
    object.integer("room", reply.room);
    object.integer("region", reply.region);
    object.integer("order", reply.order);
    object.integer("priority", reply.priority);
    object.string("ip", reply.ip);
}

template <typename Content>
void WriteIfSet(JsonObject& object, const std::optional<Content>& content)
{
    if (content)
        Write(object, *content);
}

} // namespace

const char* KindName(ccm::MessageKind kind)
{
    switch (kind) {
    case ccm::MessageKind::Data:
        return "data";
    case ccm::MessageKind::NodeScan:
        return "nodescan";
    case ccm::MessageKind::NodeReply:
        return "node";
    case ccm::MessageKind::CcmScan:
        return "ccmscan";
    case ccm::MessageKind::CcmScanReply:
        return "ccmscan-reply";
    case ccm::MessageKind::Search:
        return "search";
    case ccm::MessageKind::SearchReply:
        return "search-reply";
    }
    return "unknown";
}

void AppendFields(std::string& out, const ccm::Decoded& decoded)
{
    JsonObject object(out);
    WriteIfSet(object, decoded.data);
    WriteIfSet(object, decoded.node);
    WriteIfSet(object, decoded.ccmScan);
    WriteIfSet(object, decoded.ccmScanReply);
    WriteIfSet(object, decoded.search);
    WriteIfSet(object, decoded.searchReply);
}

} // namespace capture
