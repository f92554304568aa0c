#include "discovery/HostScan.h"

#include "ccm/ScanMessages.h"
#include "discovery/ScanResponder.h"

#include <algorithm>
#include <map>

namespace discovery {

namespace {

std::chrono::microseconds ReplyPace(std::size_t nodes)
{
    return std::chrono::microseconds(
        static_cast<std::int64_t>(1e6 / ScanResponder::kRepliesPerSecond /
                                  static_cast<double>(std::max<std::size_t>(nodes, 1))));
}

// The level under its standard name: some nodes write "A_1S_0" for
// "A-1S-0" (lint reports the spelling; the listing shows what it means).
std::string StandardLevel(std::string level)
{
    std::replace(level.begin(), level.end(), '_', '-');
    return level;
}

// Pages a host of `nodes` nodes may claim.
std::int32_t PageBound(std::size_t nodes)
{
    return static_cast<std::int32_t>(std::min(
        static_cast<std::int64_t>(nodes) * HostScan::kMaxPagesPerNode, HostScan::kMaxPagesPerHost));
}

} // namespace

HostScan::HostScan(std::string source, std::vector<std::string> nodeIps, ListingBudget& budget,
                   Send send, std::function<void()> finished)
    : source_(std::move(source)), nodeIps_(std::move(nodeIps)), send_(std::move(send)),
      budget_(budget), finished_(std::move(finished)), pace_(ReplyPace(nodeIps_.size()))
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (std::exchange(pacing_, false))
            this->send();
        else
            timedOut();
    });
}

void HostScan::start()
{
    nextPages();
}

void HostScan::ask()
{
    const auto cost = static_cast<std::int64_t>(step_ == Step::Pages ? waiting_.size()
                                                                     : searches_[search_].listings);
    const auto now = std::chrono::steady_clock::now();
    const auto sendAt = std::max(allowedAt_, now);
    allowedAt_ = sendAt + pace_ * cost;
    const auto delay = std::chrono::ceil<std::chrono::milliseconds>(sendAt - now);
    if (delay.count() == 0) {
        send();
        return;
    }
    pacing_ = true;
    timer_.start(delay);
}

void HostScan::send()
{
    ++tries_;
    if (step_ == Step::Pages) {
        for (const std::int32_t page : waiting_)
            send_(source_, ccm::kScanPort, ccm::FormatCcmScan(page));
    } else {
        const auto& [type, room, region, order] = searches_[search_].key;
        send_(source_, ccm::kSearchPort, ccm::FormatSearch({type, room, region, order}));
    }
    timer_.start(kTryWait);
}

void HostScan::receive(const ccm::Decoded& reply)
{
    // A page is named by its number: a late answer, even to an earlier try,
    // is still its answer.
    if (step_ == Step::Pages && reply.ccmScanReply &&
        waiting_.erase(reply.ccmScanReply->page) == 1) {
        keepPage(*reply.ccmScanReply);
        if (waiting_.empty())
            nextPages();
        else if (!pacing_)
            timer_.start(kTryWait); // answers still coming in: no try again yet
    } else if (step_ == Step::Searches && reply.searchReply && !pacing_) {
        const ccm::SearchReplyContent& server = *reply.searchReply;
        const CcmKey key{server.type, server.room, server.region, server.order};
        if (key != searches_[search_].key)
            return;
        // A SEARCH asked again is answered again.
        if (!answered_.insert(server.ip).second)
            return;
        std::vector<std::string>& senders = senders_[key];
        senders.push_back(server.ip);
        if (senders.size() >= searches_[search_].listings)
            nextSearch();
        else
            timer_.start(kTryWait); // answers still coming in: no try again yet
    }
}

void HostScan::keepPage(const ccm::CcmScanReplyContent& page)
{
    if (!total_) {
        const std::int32_t bound = PageBound(nodeIps_.size());
        total_ = std::clamp(page.total, 1, bound);
        if (page.total > bound)
            shortfall_ = Shortfall::Bounded;
    }
    ListedCcm ccm{page.type,     page.room, page.region, page.order,
                  page.priority, page.cast, page.unit,   StandardLevel(page.level),
                  page.sr};
    if (budget_.take(ccm)) {
        pages_[static_cast<std::size_t>(page.page - 1)] = std::move(ccm);
        return;
    }
    // The scan keeps no more: this round is the last.
    shortfall_ = Shortfall::Bounded;
    total_ = nextPage_ - 1;
}

void HostScan::timedOut()
{
    if (tries_ < kTries) {
        ask();
        return;
    }
    if (step_ == Step::Searches) {
        shortfall_ = shortfall_ == Shortfall::None ? Shortfall::Unanswered : shortfall_;
        nextSearch();
        return;
    }
    pagesUnanswered();
}

void HostScan::pagesUnanswered()
{
    // A node without CCMs answers no page: nothing unanswered then.
    if (!total_) {
        finish();
        return;
    }
    if (shortfall_ == Shortfall::None)
        shortfall_ = Shortfall::Unanswered;
    // A round wholly unanswered ends the pages: the rest of a list a host
    // claims would take hours.
    if (waiting_.size() == static_cast<std::size_t>(nextPage_ - roundFirst_))
        total_ = nextPage_ - 1;
    waiting_.clear();
    nextPages();
}

void HostScan::nextPages()
{
    tries_ = 0;
    pacing_ = false;
    if (!total_ || nextPage_ <= *total_) {
        // No more at once than the host answers at once (a second's worth).
        const std::int32_t atOnce = std::min<std::int32_t>(
            kPagesAtOnce, static_cast<std::int32_t>(ScanResponder::kRepliesPerSecond *
                                                    static_cast<double>(nodeIps_.size())));
        const std::int32_t last =
            total_ ? std::min(*total_ - nextPage_, atOnce - 1) + nextPage_ : 1;
        roundFirst_ = nextPage_;
        for (; nextPage_ <= last; ++nextPage_)
            waiting_.insert(nextPage_);
        pages_.resize(static_cast<std::size_t>(last));
        ask();
        return;
    }
    step_ = Step::Searches;
    if (nodeIps_.size() > 1) {
        // A SEARCH names the senders of a CCM: one a node receives is
        // not asked about. Each is asked once, in the order first listed.
        std::map<CcmKey, std::size_t> at;
        for (const std::optional<ListedCcm>& ccm : pages_) {
            if (!ccm || ccm->sr == "R")
                continue;
            const auto [found, added] = at.emplace(KeyOf(*ccm), searches_.size());
            if (added)
                searches_.push_back({found->first, 0});
            ++searches_[found->second].listings;
        }
    }
    search_ = 0;
    if (searches_.empty())
        finish();
    else
        ask();
}

void HostScan::nextSearch()
{
    tries_ = 0;
    answered_.clear();
    if (++search_ == searches_.size())
        finish();
    else
        ask();
}

void HostScan::finish()
{
    timer_.stop();
    step_ = Step::Done;
    finished_();
}

std::vector<std::vector<ListedCcm>> HostScan::ccms() const
{
    std::vector<ListedCcm> listed;
    for (const std::optional<ListedCcm>& ccm : pages_) {
        if (ccm)
            listed.push_back(*ccm);
    }
    return AttributeCcms(nodeIps_, listed, senders_);
}

} // namespace discovery
