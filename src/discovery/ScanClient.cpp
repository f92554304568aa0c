#include "discovery/ScanClient.h"

#include "ccm/ScanMessages.h"
#include "loop/NetworkInterface.h"
#include "transport/EIdSocketError.h"

#include <algorithm>
#include <map>

namespace discovery {

namespace {

// A station of thousands of nodes answers a NODESCAN in one burst; the
// system's default buffer holds a few hundred of them.
constexpr int kReceiveBuffer = 8 << 20;
constexpr const char* kLimitedBroadcast = "255.255.255.255";

} // namespace

ScanClient::ScanClient(ScanOptions options, std::function<void()> finished)
    : options_(std::move(options)), finished_(std::move(finished))
{
    const auto handler = [this](const loop::ReceivedDatagram& datagram) { receive(datagram); };
    asker_ = std::make_unique<loop::DatagramReceiver>(
        loop::ReceiverOptions{0, options_.interfaceName, kReceiveBuffer, true}, handler);
    if (options_.to == kLimitedBroadcast || !loop::IsLocalAddress(options_.to))
        listenOnWellKnownPort();
    wait_.setSingleShot(true);
    QObject::connect(&wait_, &QTimer::timeout, [this] { collected(); });
}

ScanClient::~ScanClient() = default;

void ScanClient::listenOnWellKnownPort()
{
    const std::uint16_t port = options_.search ? ccm::kSearchPort : ccm::kScanPort;
    try {
        wellKnown_ = std::make_unique<loop::DatagramReceiver>(
            loop::ReceiverOptions{port, options_.interfaceName, kReceiveBuffer, false},
            [this](const loop::ReceivedDatagram& datagram) { receive(datagram); });
    } catch (const transport::EIdSocketError& error) {
        // Someone holds the port without sharing it: only the answers to
        // the asking port are heard.
        warnings_.push_back("cannot listen on UDP " + std::to_string(port) +
                            " (answers sent there are not heard): " + error.what());
    }
}

void ScanClient::stopListeningOnWellKnownPort()
{
    if (wellKnown_)
        closedDrops_ += wellKnown_->kernelDrops();
    wellKnown_.reset();
}

std::uint64_t ScanClient::kernelDrops() const
{
    return asker_->kernelDrops() + closedDrops_ + (wellKnown_ ? wellKnown_->kernelDrops() : 0);
}

void ScanClient::addNode(const std::string& source, const ccm::NodeContent& node)
{
    if (heardNodes_.emplace(source, node.name, node.vendor, node.uecsId, node.ip, node.mac)
            .second &&
        roomForAnother(nodes_.size()))
        nodes_.push_back({source, node, {}, false});
}

void ScanClient::addServer(const std::string& source, const ccm::SearchReplyContent& server)
{
    if (heardServers_
            .emplace(source, server.type, server.room, server.region, server.order, server.priority,
                     server.ip)
            .second &&
        roomForAnother(servers_.size()))
        servers_.push_back({source, server});
}

bool ScanClient::roomForAnother(std::size_t kept)
{
    if (kept < kMaxAnswers)
        return true;
    if (!std::exchange(answersBounded_, true))
        warnings_.push_back("more than " + std::to_string(kMaxAnswers) +
                            " distinct answers; the rest are left out");
    return false;
}

void ScanClient::send(const std::string& ip, std::uint16_t port, const std::string& text)
{
    encoder_.encode(text, wire_);
    asker_->sendTo(ip, port, wire_);
}

void ScanClient::start()
{
    if (options_.search)
        send(options_.to, ccm::kSearchPort, ccm::FormatSearch(*options_.search));
    else
        send(options_.to, ccm::kScanPort, ccm::FormatNodeScan());
    wait_.start(options_.timeout);
}

void ScanClient::receive(const loop::ReceivedDatagram& datagram)
{
    const ccm::DecodeResult result = ccm::Decode(datagram.bytes);
    if (!result.message)
        return;
    const ccm::Decoded& reply = *result.message;
    if (wait_.isActive() && reply.node) {
        addNode(datagram.sourceIp, *reply.node);
    } else if (wait_.isActive() && reply.searchReply && options_.search) {
        addServer(datagram.sourceIp, *reply.searchReply);
    } else if (!wait_.isActive()) {
        const auto host = hostIndex_.find(datagram.sourceIp);
        if (host != hostIndex_.end())
            hosts_[host->second]->receive(reply);
    }
}

void ScanClient::collected()
{
    if (!options_.ccms || options_.search || nodes_.empty()) {
        stopListeningOnWellKnownPort();
        finished_();
        return;
    }
    // One scan per answering address, with the nodes it answered for.
    std::map<std::string, std::vector<std::string>> ips;
    std::vector<std::string> sources;
    for (const FoundNode& found : nodes_) {
        if (ips.find(found.source) == ips.end())
            sources.push_back(found.source);
        ips[found.source].push_back(found.node.ip);
    }
    for (const std::string& source : sources) {
        // The pages to a node of this host could land on our own socket.
        if (loop::IsLocalAddress(source))
            stopListeningOnWellKnownPort();
        hostIndex_.emplace(source, hosts_.size());
        hosts_.push_back(std::make_unique<HostScan>(
            source, std::move(ips[source]), budget_,
            [this](const std::string& ip, std::uint16_t port, const std::string& text) {
                // A request the system refuses (no route any more) goes
                // unanswered, as a lost one does.
                try {
                    send(ip, port, text);
                } catch (const transport::EIdSocketError&) {
                }
            },
            [this] { hostFinished(); }));
    }
    for (const std::unique_ptr<HostScan>& host : hosts_)
        host->start();
}

void ScanClient::hostFinished()
{
    if (std::all_of(hosts_.begin(), hosts_.end(),
                    [](const auto& host) { return host->finished(); }))
        finished_();
}

std::vector<FoundNode> ScanClient::nodes() const
{
    std::vector<FoundNode> nodes = nodes_;
    // Each host's CCMs by node, in the order its nodes answered.
    std::map<std::size_t, std::vector<std::vector<ListedCcm>>> ccms;
    std::map<std::size_t, std::size_t> next;
    for (FoundNode& node : nodes) {
        const auto host = hostIndex_.find(node.source);
        if (host == hostIndex_.end())
            continue;
        const HostScan& scan = *hosts_[host->second];
        if (ccms.find(host->second) == ccms.end())
            ccms.emplace(host->second, scan.ccms());
        node.ccms = std::move(ccms[host->second][next[host->second]++]);
        node.ccmsComplete = scan.complete();
        node.shortfall = scan.shortfall();
    }
    return nodes;
}

} // namespace discovery
