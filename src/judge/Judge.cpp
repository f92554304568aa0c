#include "judge/Judge.h"

#include "judge/Selector.h"

#include <algorithm>
#include <charconv>

namespace judge {

namespace {

// Keys kept by the table: far more than a bench segment carries.
constexpr std::size_t kMaxKeys = 65536;
// A chart needs no more; a long run keeps its first points.
constexpr std::size_t kMaxPoints = 20000;

// The key table measures on the monotonic clock and takes its epoch for
// "never heard": run seconds are placed a day after it.
monitor::Clock::time_point TableTime(double seconds)
{
    return monitor::Clock::time_point(std::chrono::hours(24)) +
           std::chrono::duration_cast<monitor::Clock::duration>(
               std::chrono::duration<double>(seconds));
}

std::optional<double> Number(std::string_view text)
{
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

Judge::Judge(const station::Scenario& scenario, Decided decided)
    : told_(scenario.expectations.size(), false), decided_(std::move(decided)), table_(kMaxKeys)
{
    expectations_.reserve(scenario.expectations.size());
    for (const station::ExpectSettings& expect : scenario.expectations)
        expectations_.emplace_back(expect);
}

void Judge::take(std::string_view datagram, const std::string& sourceIp, std::uint16_t sourcePort,
                 double seconds)
{
    const ccm::DecodeResult decoded = ccm::Decode(datagram);
    const monitor::LintResult lint = linter_.check(sourceIp, datagram, decoded);
    Observation seen;
    seen.seconds = seconds;
    seen.source = sourcePort == 0 ? sourceIp + " (this station)"
                                  : sourceIp + ':' + std::to_string(sourcePort);
    seen.text = datagram;
    if (!lint.findings.empty())
        seen.finding = lint.findings.front().code + ": " + lint.findings.front().detail;
    if (decoded.message && decoded.message->data) {
        const ccm::DataContent& data = *decoded.message->data;
        monitor::Update update{{data.type, data.room, data.region, data.order},
                               data.priority,
                               data.value,
                               data.ip,
                               sourceIp,
                               TableTime(seconds),
                               // The judge's rows are never shown with a time of day.
                               {},
                               std::nullopt};
        const monitor::Row& row = table_.update(update);
        const monitor::Sender* winner = monitor::KeyTable::winner(row, update.received);
        seen.counts = winner != nullptr && winner->source == sourceIp && winner->ipText == data.ip;
        seen.value = Number(data.value);
        seen.valueText = data.value;
        if (seen.counts && seen.value && counted_)
            counted_(data, *seen.value, seconds);
    }
    for (ExpectationJudge& expectation : expectations_)
        if (Selects(expectation.selector(), decoded, sourceIp))
            expectation.observe(seen);
    report();
}

void Judge::stimulus(const station::CcmSettings& ccm, const std::string& value, double seconds)
{
    // The node's condition says nothing about the weather.
    if (ccm.type == "cnd")
        return;
    const std::string label = ccm.type + " room " + std::to_string(ccm.room) + " region " +
                              std::to_string(ccm.region) + " order " + std::to_string(ccm.order);
    report::Series& series = stimuli_[label];
    series.label = label;
    series.stimulus = true;
    if (const std::optional<double> number = Number(value);
        number && series.points.size() < kMaxPoints)
        series.points.push_back({seconds, *number});
}

void Judge::advance(double now)
{
    for (ExpectationJudge& expectation : expectations_)
        expectation.advance(now);
    report();
}

void Judge::finish(double now)
{
    for (ExpectationJudge& expectation : expectations_)
        expectation.finish(now);
    report();
}

void Judge::stop(double now)
{
    for (ExpectationJudge& expectation : expectations_)
        expectation.stop(now);
    report();
}

bool Judge::allDecided() const
{
    return std::all_of(expectations_.begin(), expectations_.end(),
                       [](const ExpectationJudge& expectation) { return expectation.decided(); });
}

std::vector<report::ExpectationResult> Judge::results() const
{
    std::vector<report::ExpectationResult> results;
    for (const ExpectationJudge& expectation : expectations_) {
        report::ExpectationResult& result = results.emplace_back(expectation.result());
        for (const auto& [label, series] : stimuli_)
            result.series.push_back(series);
    }
    return results;
}

void Judge::report()
{
    for (std::size_t i = 0; i < expectations_.size(); ++i)
        if (!told_[i] && expectations_[i].decided()) {
            told_[i] = true;
            if (decided_)
                decided_(expectations_[i].result());
        }
}

} // namespace judge
