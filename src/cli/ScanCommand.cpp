#include "cli/ScanCommand.h"

#include "ccm/ScanMessages.h"
#include "cli/OptionChecks.h"
#include "cli/OutputText.h"
#include "discovery/ScanReport.h"
#include "loop/StopSignals.h"

#include <QCoreApplication>

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace cli {

namespace {

// "TYPE" or "TYPE:ROOM:REGION:ORDER", 0 meaning any; nothing when malformed.
std::optional<ccm::SearchContent> ParseSearch(const std::string& text)
{
    ccm::SearchContent search;
    const std::size_t colon = text.find(':');
    search.type = text.substr(0, colon);
    if (search.type.empty())
        return std::nullopt;
    if (colon == std::string::npos)
        return search;
    const char* at = text.data() + colon + 1;
    const char* end = text.data() + text.size();
    const std::int32_t limits[] = {ccm::kMaxRoom, ccm::kMaxRegion, ccm::kMaxOrder};
    std::int32_t* fields[] = {&search.room, &search.region, &search.order};
    for (std::size_t field = 0; field < 3; ++field) {
        const auto [stop, error] = std::from_chars(at, end, *fields[field]);
        if (error != std::errc() || *fields[field] < 0 || *fields[field] > limits[field] ||
            (field < 2 ? stop == end || *stop != ':' : stop != end))
            return std::nullopt;
        at = stop + 1;
    }
    return search;
}

void Complain(const std::string& what)
{
    std::fprintf(stderr, "setarome-cli: scan: %s\n", what.c_str());
}

} // namespace

ScanCommand::ScanCommand(CLI::App& program)
    : Subcommand(program, "scan", "Find the UECS nodes on the network and what they send")
{
    AddCommonOptions(*command_, common_);
    // Requests go to the well-known ports, and one request is made.
    command_->remove_option(command_->get_option("--port"));
    command_->remove_option(command_->get_option("--count"));
    command_->get_option("--to")->description(
        "Ask this address only; the default broadcast asks every node on the segment");
    command_->get_option("--interface")
        ->description("Ask out of this interface only. Binding to a device needs CAP_NET_RAW "
                      "on Linux before 5.7");
    command_->get_option("--dry-run")
        ->description("Write the request to standard output instead of sending it");
    command_->get_option("--json")->description(
        "One JSON object per node (address, name, vendor, uecsid, ip, mac, and with --ccms "
        "ccms, each CCM with sr, S sent or R received, and complete) or per SEARCH answer");
    command_->add_option("--timeout", timeout_, "Seconds to wait for the answers")
        ->check(DecimalIn(0.1, 60))
        ->type_name(DecimalRange(0.1, 60))
        ->capture_default_str();
    auto* ccms =
        command_->add_flag("--ccms", options_.ccms,
                           "Then ask each node that answered for its CCMs, page by page (CCMSCAN)");
    search_option_ =
        command_
            ->add_option("--search", search_,
                         "Ask who sends this CCM (SEARCH on UDP 16521); 0 matches any room, "
                         "region or order")
            ->type_name("TYPE[:ROOM:REGION:ORDER]")
            ->excludes(ccms);
    command_->footer(
        "NODESCAN goes to UDP 16529 from a port of the system's choosing; answers are heard "
        "there and on 16529 (16521 for a SEARCH), but for requests to this host, and printed "
        "as a table, texts from the network escaped. Exit status 0 when something "
        "answered and the list is whole; 1 when nothing answered, with --ccms when a node's "
        "CCMs are incomplete, or when the kernel dropped answers for want of buffer; 2 for "
        "bad usage.");
}

void ScanCommand::check()
{
    // Given but empty is no request for every node: refuse it.
    if (search_option_->count() > 0 && search_.empty())
        throw CLI::ValidationError("--search", "the type is empty; give TYPE or "
                                               "TYPE:ROOM:REGION:ORDER");
    if (search_option_->count() > 0) {
        options_.search = ParseSearch(search_);
        if (!options_.search)
            throw CLI::ValidationError("--search", search_ +
                                                       " is not TYPE or TYPE:ROOM:REGION:ORDER "
                                                       "within 127:127:30000");
    }
    options_.to = common_.to;
    options_.interfaceName = common_.interfaceName;
    options_.timeout = std::chrono::milliseconds(static_cast<std::int64_t>(timeout_ * 1000));
}

int ScanCommand::verdict(const discovery::ScanClient& client, bool answered,
                         std::size_t incomplete) const
{
    for (const std::string& warning : client.warnings())
        Complain(OneLine(warning));
    bool whole = answered;
    if (!answered)
        Complain("nothing answered");
    if (incomplete > 0) {
        Complain(std::to_string(incomplete) + " node(s) with an incomplete list of CCMs");
        whole = false;
    }
    if (const std::uint64_t drops = client.kernelDrops(); drops > 0) {
        Complain("the kernel dropped " + std::to_string(drops) +
                 " datagram(s) for want of buffer: answers may be missing");
        whole = false;
    }
    // Stopped by a signal: what answered so far is what was asked for.
    return whole || stopped_ ? 0 : 1;
}

int ScanCommand::run()
{
    if (common_.dryRun) {
        WriteLine(stdout,
                  options_.search ? ccm::FormatSearch(*options_.search) : ccm::FormatNodeScan());
        return 0;
    }
    std::optional<discovery::ScanClient> client;
    client.emplace(options_, [] { QCoreApplication::exit(0); });
    loop::StopSignals stopSignals;
    // What answered so far is still worth printing.
    QObject::connect(&stopSignals, &loop::StopSignals::received, [this] {
        stopped_ = true;
        QCoreApplication::exit(0);
    });
    client->start();
    QCoreApplication::exec();
    const bool json = common_.json;
    std::string out;
    bool answered = false;
    std::size_t incomplete = 0;
    if (options_.search) {
        const auto& servers = client->servers();
        answered = !servers.empty();
        out = json ? discovery::ServerJson(servers) : discovery::ServerTable(servers);
    } else {
        const std::vector<discovery::FoundNode> nodes = client->nodes();
        answered = !nodes.empty();
        if (options_.ccms)
            incomplete = static_cast<std::size_t>(
                std::count_if(nodes.begin(), nodes.end(),
                              [](const discovery::FoundNode& node) { return !node.ccmsComplete; }));
        out = json ? discovery::NodeJson(nodes, options_.ccms)
                   : discovery::NodeTable(nodes, options_.ccms);
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return verdict(*client, answered, incomplete);
}

} // namespace cli
