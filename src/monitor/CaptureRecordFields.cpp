#include "monitor/CaptureRecordFields.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>

namespace monitor {

namespace {

// Builds one JSON object member by member, in the order they are added.
class ObjectWriter {
public:
    explicit ObjectWriter(std::string& out) : out_(out) { out_ += '{'; }
    ~ObjectWriter() { out_ += '}'; }
    ObjectWriter(const ObjectWriter&) = delete;
    ObjectWriter& operator=(const ObjectWriter&) = delete;

    void add(std::string_view name, const std::string& text)
    {
        key(name);
        AppendJsonString(out_, text);
    }
    void add(std::string_view name, std::int32_t number)
    {
        key(name);
        out_ += std::to_string(number);
    }

private:
    void key(std::string_view name)
    {
        if (!first_)
            out_ += ',';
        first_ = false;
        AppendJsonString(out_, name);
        out_ += ':';
    }

    std::string& out_;
    bool first_ = true;
};

void Write(ObjectWriter& object, const ccm::DataContent& data)
{
    object.add("type", data.type);
    object.add("room", data.room);
    object.add("region", data.region);
    object.add("order", data.order);
    object.add("priority", data.priority);
    object.add("value", data.value);
    object.add("ip", data.ip);
}

void Write(ObjectWriter& object, const ccm::NodeContent& node)
{
    object.add("name", node.name);
    object.add("vendor", node.vendor);
    object.add("uecs_id", node.uecsId);
    object.add("ip", node.ip);
    object.add("mac", node.mac);
}

void Write(ObjectWriter& object, const ccm::CcmScanContent& scan)
{
    object.add("page", scan.page);
}

void Write(ObjectWriter& object, const ccm::CcmScanReplyContent& reply)
{
    object.add("page", reply.page);
    object.add("total", reply.total);
    object.add("count", reply.count);
    object.add("number", reply.number);
    object.add("room", reply.room);
    object.add("region", reply.region);
    object.add("order", reply.order);
    object.add("priority", reply.priority);
    object.add("cast", reply.cast);
    object.add("unit", reply.unit);
    object.add("sr", reply.sr);
    object.add("level", reply.level);
    object.add("type", reply.type);
}

void Write(ObjectWriter& object, const ccm::SearchContent& search)
{
    object.add("type", search.type);
    object.add("room", search.room);
    object.add("region", search.region);
    object.add("order", search.order);
}

void Write(ObjectWriter& object, const ccm::SearchReplyContent& reply)
{
    object.add("type", reply.type);
    object.add("room", reply.room);
    object.add("region", reply.region);
    object.add("order", reply.order);
    object.add("priority", reply.priority);
    object.add("ip", reply.ip);
}

template <typename Content>
void WriteIfSet(ObjectWriter& object, const std::optional<Content>& content)
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

void AppendJsonString(std::string& out, std::string_view text)
{
    const QByteArray valid =
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toUtf8();
    out += '"';
    for (const char c : valid) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
}

void AppendFields(std::string& out, const ccm::Decoded& decoded)
{
    ObjectWriter object(out);
    WriteIfSet(object, decoded.data);
    WriteIfSet(object, decoded.node);
    WriteIfSet(object, decoded.ccmScan);
    WriteIfSet(object, decoded.ccmScanReply);
    WriteIfSet(object, decoded.search);
    WriteIfSet(object, decoded.searchReply);
}

} // namespace monitor
