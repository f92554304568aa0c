#pragma once

#include "ccm/Cp932Encoder.h"
#include "ccm/Decoder.h"
#include "discovery/AnsweringNode.h"
#include "discovery/HostScan.h"
#include "discovery/ListingBudget.h"
#include "loop/DatagramReceiver.h"

#include <QTimer>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace discovery {

struct ScanOptions {
    // Where the NODESCAN (or SEARCH) goes: the limited broadcast, or one node.
    std::string to = "255.255.255.255";
    // Empty: every interface.
    std::string interfaceName;
    // How long to wait for the answers to the first request.
    std::chrono::milliseconds timeout{2000};
    // Then ask every node that answered for its CCMs.
    bool ccms = false;
    // Instead of a NODESCAN, this SEARCH.
    std::optional<ccm::SearchContent> search;
};

// A node that answered the NODESCAN: the source of its reply and what it
// said; with ScanOptions::ccms, its CCMs too.
struct FoundNode {
    std::string source;
    ccm::NodeContent node;
    std::vector<ListedCcm> ccms;
    // Every page and SEARCH its host was asked was answered.
    bool ccmsComplete = false;
    // Why not, when not.
    HostScan::Shortfall shortfall = HostScan::Shortfall::None;
};

struct FoundServer {
    std::string source;
    ccm::SearchReplyContent server;
};

// The asking side of discovery on the Qt Core event loop: one request to
// ScanOptions::to from an ephemeral port, the answers collected for the
// time-out, then, for --ccms, every host asked for its CCMs in parallel.
// Many field nodes answer to the well-known port whatever port asked, so it
// listens there too, as long as no request goes to an address of this host
// (the system could hand such a request to that socket instead of the node).
// Replies are told apart by their source and content; the same answer heard
// twice counts once.
class ScanClient {
public:
    // More distinct NODE (or SERVER) replies than this, a flood, are not kept.
    static constexpr std::size_t kMaxAnswers = 65536;

    // Throws transport::EIdSocketError when the socket cannot be opened, and
    // runtime::Exception without a Shift-JIS converter.
    ScanClient(ScanOptions options, std::function<void()> finished);
    ~ScanClient();

    // Sends the first request. Throws transport::EIdSocketError when it
    // cannot be sent.
    void start();

    // In the order they first answered.
    std::vector<FoundNode> nodes() const;
    const std::vector<FoundServer>& servers() const { return servers_; }
    // Datagrams the kernel dropped for want of buffer: answers lost.
    std::uint64_t kernelDrops() const;
    // What the scan could not do as asked, one line each ("cannot listen
    // on UDP 16529: ...").
    const std::vector<std::string>& warnings() const { return warnings_; }

private:
    void receive(const loop::ReceivedDatagram& datagram);
    void collected();
    void hostFinished();
    void send(const std::string& ip, std::uint16_t port, const std::string& text);
    void listenOnWellKnownPort();
    void stopListeningOnWellKnownPort();
    void addNode(const std::string& source, const ccm::NodeContent& node);
    void addServer(const std::string& source, const ccm::SearchReplyContent& server);
    // Whether an answer beyond the `kept` ones may be kept; warns once if not.
    bool roomForAnother(std::size_t kept);

    ScanOptions options_;
    std::function<void()> finished_;
    ccm::Cp932Encoder encoder_;
    std::string wire_;
    std::unique_ptr<loop::DatagramReceiver> asker_;
    // Closed before any request goes to this host's own nodes.
    std::unique_ptr<loop::DatagramReceiver> wellKnown_;
    std::uint64_t closedDrops_ = 0;
    QTimer wait_;
    std::vector<FoundNode> nodes_;
    // The answers heard, by source and content, so one heard twice counts once.
    std::set<
        std::tuple<std::string, std::string, std::string, std::string, std::string, std::string>>
        heardNodes_;
    std::set<std::tuple<std::string, std::string, std::int32_t, std::int32_t, std::int32_t,
                        std::int32_t, std::string>>
        heardServers_;
    bool answersBounded_ = false;
    ListingBudget budget_;
    std::vector<std::string> warnings_;
    std::vector<FoundServer> servers_;
    std::vector<std::unique_ptr<HostScan>> hosts_;
    // A host's index in hosts_ by its address.
    std::map<std::string, std::size_t> hostIndex_;
};

} // namespace discovery
