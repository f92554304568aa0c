#pragma once

#include "ccm/Decoder.h"
#include "discovery/CcmAttribution.h"
#include "discovery/ListingBudget.h"

#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace discovery {

// Asks one host for its CCMs: CCMSCAN pages a round at a time, then, when the
// host answered for several nodes, a SEARCH per CCM to tell whose it is. Each
// round is tried kTries times, paced so that the host's reply budget (10 a
// second per node) is never overdrawn; a page or SEARCH that stays
// unanswered is skipped and the result marked incomplete. A host that
// answers no page at all lists no CCMs: a node without any sends none.
class HostScan {
public:
    static constexpr int kTries = 4;
    static constexpr std::chrono::milliseconds kTryWait{400};
    // More pages than this per node, or per host, is no real node or
    // station: the rest is not asked.
    static constexpr std::int64_t kMaxPagesPerNode = 1000;
    static constexpr std::int64_t kMaxPagesPerHost = 100000;
    // Pages asked at once: their answers fit the smallest receive buffer
    // (the system's default holds a few hundred), so none is dropped.
    static constexpr std::int32_t kPagesAtOnce = 64;

    enum class Shortfall {
        None,
        Unanswered, // a page or SEARCH went unanswered
        Bounded,    // the host claimed more pages than a scan keeps
    };

    using Send =
        std::function<void(const std::string& ip, std::uint16_t port, const std::string& text)>;

    // `budget` outlives the scan; every host of a scan shares it.
    HostScan(std::string source, std::vector<std::string> nodeIps, ListingBudget& budget, Send send,
             std::function<void()> finished);

    void start();
    // A reply whose source is this host.
    void receive(const ccm::Decoded& reply);

    const std::string& source() const { return source_; }
    bool finished() const { return step_ == Step::Done; }
    // Every page, and every SEARCH asked, was answered.
    bool complete() const { return shortfall_ == Shortfall::None; }
    Shortfall shortfall() const { return shortfall_; }
    // The CCMs of each node, in the order of the IP texts given.
    std::vector<std::vector<ListedCcm>> ccms() const;

private:
    enum class Step { Pages, Searches, Done };

    // Sends the current request once the pace allows.
    void ask();
    void send();
    void timedOut();
    void keepPage(const ccm::CcmScanReplyContent& page);
    void pagesUnanswered();
    // The next round of pages, or the SEARCHes after the last.
    void nextPages();
    void nextSearch();
    void finish();

    std::string source_;
    std::vector<std::string> nodeIps_;
    Send send_;
    ListingBudget& budget_;
    std::function<void()> finished_;
    Step step_ = Step::Pages;
    Shortfall shortfall_ = Shortfall::None;
    int tries_ = 0;
    bool pacing_ = false;
    // A second over 10 replies per node; the next request may go at allowedAt_.
    std::chrono::microseconds pace_;
    std::chrono::steady_clock::time_point allowedAt_;
    // The first page of the next round, and the pages of this round still
    // unanswered.
    std::int32_t nextPage_ = 1;
    std::int32_t roundFirst_ = 1;
    std::set<std::int32_t> waiting_;
    std::optional<std::int32_t> total_;
    // Page N at N - 1; grown a round at a time, so what a host claims costs
    // nothing until it is asked.
    std::vector<std::optional<ListedCcm>> pages_;
    struct Search {
        CcmKey key;
        // Times the pages list it: the SERVER answers expected.
        std::size_t listings = 0;
    };
    std::vector<Search> searches_;
    std::size_t search_ = 0;
    std::map<CcmKey, std::vector<std::string>> senders_;
    // The IP texts that answered the current SEARCH.
    std::set<std::string> answered_;
    QTimer timer_;
};

} // namespace discovery
