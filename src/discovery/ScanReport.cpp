#include "discovery/ScanReport.h"

#include "monitor/TerminalText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace discovery {

namespace {

using Row = std::vector<std::string>;

// Columns two spaces apart, the last one not padded; `indent` before each
// row. One line per row, each ending in a line feed.
std::vector<std::string> Align(const std::vector<Row>& rows, const std::string& indent)
{
    std::vector<std::size_t> widths;
    for (const Row& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t at = 0; at < row.size(); ++at)
            widths[at] = std::max(widths[at], monitor::TextWidth(row[at]));
    }
    std::vector<std::string> lines;
    for (const Row& row : rows) {
        std::string line = indent;
        for (std::size_t at = 0; at < row.size(); ++at)
            line += at + 1 < row.size() ? monitor::Padded(row[at], widths[at] + 2) : row[at];
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
                                 {"sr", Q(ccm.sr)},
                                 {"cast", ccm.cast},
                                 {"unit", Q(ccm.unit)}});
    return array;
}

std::string IncompleteLine(HostScan::Shortfall shortfall)
{
    if (shortfall == HostScan::Shortfall::Bounded)
        return "    (incomplete: its host claims more pages than a scan keeps)\n";
    return "    (incomplete: a page or a SEARCH went unanswered)\n";
}

std::string JsonLine(const QJsonObject& object)
{
    return monitor::JsonForTerminal(
               QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString()) +
           "\n";
}

} // namespace

std::string NodeTable(const std::vector<FoundNode>& nodes, bool ccms)
{
    std::vector<Row> rows{{"ADDRESS", "NAME", "VENDOR", "UECSID", "IP", "MAC"}};
    for (const FoundNode& found : nodes) {
        const ccm::NodeContent& node = found.node;
        rows.push_back({found.source, monitor::Escaped(node.name), monitor::Escaped(node.vendor),
                        monitor::Escaped(node.uecsId), monitor::Escaped(node.ip),
                        monitor::Escaped(node.mac)});
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
            {"TYPE", "SR", "ROOM", "REGION", "ORDER", "PRIORITY", "LEVEL", "CAST", "UNIT"}};
        for (const ListedCcm& ccm : found.ccms)
            ccmRows.push_back({monitor::Escaped(ccm.type), monitor::Escaped(ccm.sr),
                               std::to_string(ccm.room), std::to_string(ccm.region),
                               std::to_string(ccm.order), std::to_string(ccm.priority),
                               monitor::Escaped(ccm.level), std::to_string(ccm.cast),
                               monitor::Escaped(ccm.unit)});
        out += Joined(Align(ccmRows, "    "));
        if (!found.ccmsComplete)
            out += IncompleteLine(found.shortfall);
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
        rows.push_back({found.source, monitor::Escaped(server.type), std::to_string(server.room),
                        std::to_string(server.region), std::to_string(server.order),
                        std::to_string(server.priority), monitor::Escaped(server.ip)});
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
