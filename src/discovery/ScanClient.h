#pragma once

#include "ccm/Cp932Encoder.h"
#include "ccm/Decoder.h"
#include "discovery/AnsweringNode.h"
#include "discovery/HostScan.h"
#include "loop/DatagramReceiver.h"

#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
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
};

struct FoundServer {
    std::string source;
    ccm::SearchReplyContent server;
};

// The asking side of discovery on the Qt Core event loop: one request to
// ScanOptions::to from an ephemeral port, the answers collected for the
// time-out (also those a peer sends to the well-known port instead), then,
// for --ccms, every host asked for its CCMs in parallel. Replies are told
// apart by their source and content; the same answer heard twice counts once.
class ScanClient {
public:
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

private:
    void receive(const loop::ReceivedDatagram& datagram);
    void collected();
    void hostFinished();
    void send(const std::string& ip, std::uint16_t port, const std::string& text);

    ScanOptions options_;
    std::function<void()> finished_;
    ccm::Cp932Encoder encoder_;
    std::string wire_;
    std::unique_ptr<loop::DatagramReceiver> asker_;
    // Only while the first answers come in: afterwards the unicast requests
    // of this host's own nodes must not land on them.
    std::vector<std::unique_ptr<loop::DatagramReceiver>> wellKnown_;
    QTimer wait_;
    std::vector<FoundNode> nodes_;
    std::vector<FoundServer> servers_;
    std::vector<std::unique_ptr<HostScan>> hosts_;
};

} // namespace discovery
