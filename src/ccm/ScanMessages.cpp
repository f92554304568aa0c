#include "ccm/ScanMessages.h"

#include "ccm/DataMessage.h"

#include <string_view>

namespace ccm {

namespace {

constexpr std::string_view kHead = R"(<?xml version="1.0"?><UECS ver="1.00-E10">)";
constexpr std::string_view kTail = "</UECS>";

// Element text needs '&' and '<' escaped, an attribute value '"' too. '>',
// and '"' in element text, need none: leaving them keeps a text as a peer
// sent it, so a literal message formats back to the same bytes.
void appendEscaped(std::string_view text, bool attribute, std::string& out)
{
    for (const char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '"' && attribute)
            out += "&quot;";
        else
            out += c;
    }
}

void appendAttribute(std::string_view name, std::string_view value, std::string& out)
{
    out += ' ';
    out += name;
    out += "=\"";
    appendEscaped(value, true, out);
    out += '"';
}

void appendAttribute(std::string_view name, std::int32_t value, std::string& out)
{
    appendAttribute(name, std::to_string(value), out);
}

void appendElement(std::string_view name, std::string_view text, std::string& out)
{
    out += '<';
    out += name;
    out += '>';
    appendEscaped(text, false, out);
    out += "</";
    out += name;
    out += '>';
}

} // namespace

std::string FormatNodeScan()
{
    return std::string(kHead) + "<NODESCAN/>" + std::string(kTail);
}

std::string FormatNodeReply(const NodeContent& node)
{
    std::string out(kHead);
    out += "<NODE>";
    appendElement("NAME", node.name, out);
    appendElement("VENDER", node.vendor, out);
    appendElement("UECSID", node.uecsId, out);
    appendElement("IP", node.ip, out);
    appendElement("MAC", node.mac, out);
    out += "</NODE>";
    out += kTail;
    return out;
}

std::string FormatCcmScan(std::int32_t page)
{
    std::string out(kHead);
    out += "<CCMSCAN";
    if (page != 1)
        appendAttribute("page", page, out);
    out += "/>";
    out += kTail;
    return out;
}

std::string FormatCcmScanReply(const CcmScanReplyContent& reply)
{
    std::string out(kHead);
    out += "<CCMNUM";
    appendAttribute("page", reply.page, out);
    appendAttribute("total", reply.total, out);
    out += '>';
    out += std::to_string(reply.count);
    out += "</CCMNUM><CCM";
    appendAttribute("No", reply.number, out);
    appendAttribute("room", reply.room, out);
    appendAttribute("region", reply.region, out);
    appendAttribute("order", reply.order, out);
    appendAttribute("priority", reply.priority, out);
    appendAttribute("cast", reply.cast, out);
    appendAttribute("unit", reply.unit, out);
    appendAttribute("SR", reply.sr, out);
    appendAttribute("LV", reply.level, out);
    out += '>';
    appendEscaped(reply.type, false, out);
    out += "</CCM>";
    out += kTail;
    return out;
}

std::string FormatSearch(const SearchContent& search)
{
    std::string out(kHead);
    out += "<SEARCH";
    appendAttribute("type", search.type, out);
    appendAttribute("room", search.room, out);
    appendAttribute("region", search.region, out);
    appendAttribute("order", search.order, out);
    out += "/>";
    out += kTail;
    return out;
}

std::string FormatSearchReply(const SearchReplyContent& reply)
{
    std::string out(kHead);
    out += "<SERVER";
    appendAttribute("type", reply.type, out);
    appendAttribute("room", reply.room, out);
    appendAttribute("region", reply.region, out);
    appendAttribute("order", reply.order, out);
    appendAttribute("priority", reply.priority, out);
    out += '>';
    appendEscaped(reply.ip, false, out);
    out += "</SERVER>";
    out += kTail;
    return out;
}

std::string FormatData(const DataContent& data)
{
    std::string out;
    FormatDataMessage(
        {data.type, data.room, data.region, data.order, data.priority, data.value, data.ip}, out);
    return out;
}

} // namespace ccm
