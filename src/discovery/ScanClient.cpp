#include "discovery/ScanClient.h"

#include "ccm/ScanMessages.h"
#include "transport/EIdSocketError.h"

#include <algorithm>

namespace discovery {

namespace {

bool SameNode(const ccm::NodeContent& a, const ccm::NodeContent& b)
{
    return a.name == b.name && a.vendor == b.vendor && a.uecsId == b.uecsId && a.ip == b.ip &&
           a.mac == b.mac;
}

bool SameServer(const ccm::SearchReplyContent& a, const ccm::SearchReplyContent& b)
{
    return a.type == b.type && a.room == b.room && a.region == b.region && a.order == b.order &&
           a.priority == b.priority && a.ip == b.ip;
}

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
    // A unicast request could land on this very socket when the node asked
    // runs on this host: the system hands it to one socket of the port only.
    // A broadcast reaches them all.
    const std::uint16_t port = options_.search ? ccm::kSearchPort : ccm::kScanPort;
    if (options_.to == kLimitedBroadcast) {
        try {
            wellKnown_.push_back(std::make_unique<loop::DatagramReceiver>(
                loop::ReceiverOptions{port, options_.interfaceName, kReceiveBuffer, false},
                handler));
        } catch (const transport::EIdSocketError&) {
            // Someone holds the port without sharing it: only the answers to
            // the asking port are heard, as most peers send them.
        }
    }
    wait_.setSingleShot(true);
    QObject::connect(&wait_, &QTimer::timeout, [this] { collected(); });
}

ScanClient::~ScanClient() = default;

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
        const auto same = [&](const FoundNode& found) {
            return found.source == datagram.sourceIp && SameNode(found.node, *reply.node);
        };
        if (std::none_of(nodes_.begin(), nodes_.end(), same))
            nodes_.push_back({datagram.sourceIp, *reply.node, {}, false});
    } else if (wait_.isActive() && reply.searchReply && options_.search) {
        const auto same = [&](const FoundServer& found) {
            return found.source == datagram.sourceIp &&
                   SameServer(found.server, *reply.searchReply);
        };
        if (std::none_of(servers_.begin(), servers_.end(), same))
            servers_.push_back({datagram.sourceIp, *reply.searchReply});
    } else if (!wait_.isActive()) {
        for (const std::unique_ptr<HostScan>& host : hosts_) {
            if (host->source() == datagram.sourceIp)
                host->receive(reply);
        }
    }
}

void ScanClient::collected()
{
    wellKnown_.clear();
    if (!options_.ccms || options_.search || nodes_.empty()) {
        finished_();
        return;
    }
    // One scan per answering address, with the nodes it answered for.
    for (const FoundNode& found : nodes_) {
        const auto host = std::find_if(hosts_.begin(), hosts_.end(), [&](const auto& scan) {
            return scan->source() == found.source;
        });
        if (host != hosts_.end())
            continue;
        std::vector<std::string> ips;
        for (const FoundNode& other : nodes_) {
            if (other.source == found.source)
                ips.push_back(other.node.ip);
        }
        hosts_.push_back(std::make_unique<HostScan>(
            found.source, std::move(ips),
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
    for (const std::unique_ptr<HostScan>& host : hosts_) {
        const std::vector<std::vector<ListedCcm>> ccms = host->ccms();
        std::size_t next = 0;
        for (FoundNode& node : nodes) {
            if (node.source != host->source())
                continue;
            node.ccms = ccms[next++];
            node.ccmsComplete = host->complete();
        }
    }
    return nodes;
}

} // namespace discovery
