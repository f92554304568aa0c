#include "discovery/ScanReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>

namespace discovery {

namespace {

using Row = std::vector<std::string>;

// Characters, for alignment: every UTF-8 lead byte starts one.
std::size_t Width(const std::string& text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// Columns two spaces apart, the last one not padded; `indent` before each
// row. One line per row, each ending in a line feed.
std::vector<std::string> Align(const std::vector<Row>& rows, const std::string& indent)
{
    std::vector<std::size_t> widths;
    for (const Row& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t at = 0; at < row.size(); ++at)
            widths[at] = std::max(widths[at], Width(row[at]));
    }
    std::vector<std::string> lines;
    for (const Row& row : rows) {
        std::string line = indent;
        for (std::size_t at = 0; at < row.size(); ++at) {
            line += row[at];
            if (at + 1 < row.size())
                line.append(widths[at] - Width(row[at]) + 2, ' ');
        }
        // An empty last column leaves no spaces at the end.
        line.erase(line.find_last_not_of(' ') + 1);
        lines.push_back(line + "\n");
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines)
        out += line;
    return out;
}

std::size_t Utf8Length(std::string_view text)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0x80             ? 1
                               : (lead & 0xE0) == 0xC0 ? 2
                               : (lead & 0xF0) == 0xE0 ? 3
                               : (lead & 0xF8) == 0xF0 ? 4
                                                       : 0;
    if (length == 0 || length > text.size() || (length == 2 && lead < 0xC2))
        return 0;
    for (std::size_t at = 1; at < length; ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

QJsonArray CcmsJson(const std::vector<ListedCcm>& ccms)
{
    QJsonArray array;
    for (const ListedCcm& ccm : ccms)
        array.append(QJsonObject{{"type", Q(ccm.type)},
                                 {"room", ccm.room},
                                 {"region", ccm.region},
                                 {"order", ccm.order},
                                 {"priority", ccm.priority},
                                 {"level", Q(ccm.level)},
                                 {"cast", ccm.cast},
                                 {"unit", Q(ccm.unit)}});
    return array;
}

std::string JsonLine(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() + "\n";
}

} // namespace

std::string TerminalText(std::string_view text)
{
    std::string out;
    while (!text.empty()) {
        const std::size_t length = Utf8Length(text);
        const auto lead = static_cast<unsigned char>(text[0]);
        // U+0080..U+009F: C1 controls, as two bytes C2 80..C2 9F.
        const bool c1 = length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[1]) < 0xA0;
        if (length == 0 || lead < 0x20 || lead == 0x7F || c1 || lead == '\\') {
            const std::size_t bytes = c1 ? 2 : 1;
            for (std::size_t at = 0; at < bytes; ++at) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02X",
                              static_cast<unsigned char>(text[at]));
                out += lead == '\\' ? "\\\\" : escaped;
            }
            text.remove_prefix(bytes);
            continue;
        }
        out.append(text.substr(0, length));
        text.remove_prefix(length);
    }
    return out;
}

std::string NodeTable(const std::vector<FoundNode>& nodes, bool ccms)
{
    std::vector<Row> rows{{"ADDRESS", "NAME", "VENDOR", "UECSID", "IP", "MAC"}};
    for (const FoundNode& found : nodes) {
        const ccm::NodeContent& node = found.node;
        rows.push_back({found.source, TerminalText(node.name), TerminalText(node.vendor),
                        TerminalText(node.uecsId), TerminalText(node.ip), TerminalText(node.mac)});
    }
    const std::vector<std::string> lines = Align(rows, "");
    if (!ccms)
        return Joined(lines);
    // Each node's row, then its CCMs under it.
    std::string out = lines[0];
    for (std::size_t at = 0; at < nodes.size(); ++at) {
        const FoundNode& found = nodes[at];
        out += lines[at + 1];
        std::vector<Row> ccmRows{
            {"TYPE", "ROOM", "REGION", "ORDER", "PRIORITY", "LEVEL", "CAST", "UNIT"}};
        for (const ListedCcm& ccm : found.ccms)
            ccmRows.push_back({TerminalText(ccm.type), std::to_string(ccm.room),
                               std::to_string(ccm.region), std::to_string(ccm.order),
                               std::to_string(ccm.priority), TerminalText(ccm.level),
                               std::to_string(ccm.cast), TerminalText(ccm.unit)});
        out += Joined(Align(ccmRows, "    "));
        if (!found.ccmsComplete)
            out += "    (incomplete: a page or a SEARCH went unanswered)\n";
    }
    return out;
}

std::string NodeJson(const std::vector<FoundNode>& nodes, bool ccms)
{
    std::string out;
    for (const FoundNode& found : nodes) {
        const ccm::NodeContent& node = found.node;
        QJsonObject object{{"address", Q(found.source)}, {"name", Q(node.name)},
                           {"vendor", Q(node.vendor)},   {"uecsid", Q(node.uecsId)},
                           {"ip", Q(node.ip)},           {"mac", Q(node.mac)}};
        if (ccms) {
            object.insert("ccms", CcmsJson(found.ccms));
            object.insert("complete", found.ccmsComplete);
        }
        out += JsonLine(object);
    }
    return out;
}

std::string ServerTable(const std::vector<FoundServer>& servers)
{
    std::vector<Row> rows{{"ADDRESS", "TYPE", "ROOM", "REGION", "ORDER", "PRIORITY", "IP"}};
    for (const FoundServer& found : servers) {
        const ccm::SearchReplyContent& server = found.server;
        rows.push_back({found.source, TerminalText(server.type), std::to_string(server.room),
                        std::to_string(server.region), std::to_string(server.order),
                        std::to_string(server.priority), TerminalText(server.ip)});
    }
    return Joined(Align(rows, ""));
}

std::string ServerJson(const std::vector<FoundServer>& servers)
{
    std::string out;
    for (const FoundServer& found : servers) {
        const ccm::SearchReplyContent& server = found.server;
        out += JsonLine(QJsonObject{{"address", Q(found.source)},
                                    {"type", Q(server.type)},
                                    {"room", server.room},
                                    {"region", server.region},
                                    {"order", server.order},
                                    {"priority", server.priority},
                                    {"ip", Q(server.ip)}});
    }
    return out;
}

} // namespace discovery
