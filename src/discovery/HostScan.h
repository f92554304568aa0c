#pragma once

#include "ccm/Decoder.h"
#include "discovery/CcmAttribution.h"

#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace discovery {

// Asks one host for its CCMs: CCMSCAN page by page, then, when the host
// answered for several nodes, a SEARCH per CCM to tell whose it is. One
// request at a time, each tried kTries times, paced so that the host's reply
// budget (10 a second per node) is never overdrawn; a page or SEARCH that
// stays unanswered is skipped and the result marked incomplete.
class HostScan {
public:
    static constexpr int kTries = 4;
    static constexpr std::chrono::milliseconds kTryWait{400};
    // More pages than this per node is no real node: the rest is not asked.
    static constexpr std::int32_t kMaxPagesPerNode = 1000;

    using Send =
        std::function<void(const std::string& ip, std::uint16_t port, const std::string& text)>;

    HostScan(std::string source, std::vector<std::string> nodeIps, Send send,
             std::function<void()> finished);

    void start();
    // A reply whose source is this host.
    void receive(const ccm::Decoded& reply);

    const std::string& source() const { return source_; }
    bool finished() const { return step_ == Step::Done; }
    // Every page, and every SEARCH asked, was answered.
    bool complete() const { return complete_; }
    // The CCMs of each node, in the order of the IP texts given.
    std::vector<std::vector<ListedCcm>> ccms() const;

private:
    enum class Step { Pages, Searches, Done };

    // Sends the current request once the pace allows.
    void ask();
    void send();
    void timedOut();
    void nextPage();
    void nextSearch();
    void finish();
    // Expected SERVER replies of the current SEARCH.
    std::size_t expectedSenders() const;

    std::string source_;
    std::vector<std::string> nodeIps_;
    Send send_;
    std::function<void()> finished_;
    Step step_ = Step::Pages;
    bool complete_ = true;
    int tries_ = 0;
    bool pacing_ = false;
    // A second over 10 replies per node; the next request may go at allowedAt_.
    std::chrono::microseconds pace_;
    std::chrono::steady_clock::time_point allowedAt_;
    std::int32_t page_ = 1;
    std::optional<std::int32_t> total_;
    std::vector<std::optional<ListedCcm>> pages_;
    std::vector<CcmKey> searches_;
    std::size_t search_ = 0;
    std::map<CcmKey, std::vector<std::string>> senders_;
    QTimer timer_;
};

} // namespace discovery
