#include "judge/ExpectationJudge.h"

#include "judge/Condition.h"
#include "station/TomlFields.h"

#include <algorithm>
#include <limits>

namespace judge {

namespace {

using Mode = station::ExpectSettings::Mode;
using Test = station::ExpectSettings::Test;
using report::Outcome;

std::string Seconds(double seconds)
{
    return station::NumberText(static_cast<double>(static_cast<long long>(seconds * 1000)) / 1000) +
           " s";
}

} // namespace

ExpectationJudge::ExpectationJudge(const station::ExpectSettings& expect)
    : expect_(expect), quietSince_(expect.after)
{
    result_.name = expect.name;
    result_.condition = ConditionText(expect);
    result_.mode = ModeName(expect.mode);
    result_.afterSeconds = expect.after;
    result_.line = static_cast<int>(expect.line);
    if (expect.mode == Mode::Within && expect.within)
        result_.withinEndSeconds = windowEnd();
    report::Series watched;
    watched.label = expect.selector.type.empty() ? "from " + expect.selector.from.value_or("")
                                                 : expect.selector.type;
    result_.series.push_back(std::move(watched));
}

double ExpectationJudge::windowEnd() const
{
    return expect_.within ? expect_.after + *expect_.within
                          : std::numeric_limits<double>::infinity();
}

void ExpectationJudge::observe(const Observation& seen)
{
    // A chart needs no more; a long run keeps its first points.
    constexpr std::size_t kMaxPoints = 20000;
    if (seen.counts && seen.value && result_.series.front().points.size() < kMaxPoints)
        result_.series.front().points.push_back({seen.seconds, *seen.value});
    // A window that closed before this datagram is decided first.
    advance(seen.seconds);
    if (decided_)
        return;
    if (expect_.test == Test::Silent)
        return observeSilent(seen);
    if (expect_.test == Test::LintClean) {
        if (seen.seconds >= expect_.after && !seen.finding.empty())
            decide(Outcome::Fail, seen.seconds, datagram(seen, seen.finding));
        return;
    }
    if (!seen.counts)
        return;
    if (seen.seconds >= expect_.after)
        observeValue(seen);
    last_ = {seen.seconds, seen.valueText};
}

void ExpectationJudge::observeValue(const Observation& seen)
{
    const bool meets = ValueMeets(expect_, seen.value);
    countedSinceAfter_ = true;
    const std::string note = "value " + seen.valueText;
    switch (expect_.mode) {
    case Mode::Always:
        if (!meets)
            decide(Outcome::Fail, seen.seconds, datagram(seen, note));
        break;
    case Mode::Never:
        if (meets)
            decide(Outcome::Fail, seen.seconds, datagram(seen, note));
        break;
    case Mode::Within:
        if (met_ && !meets) {
            decide(Outcome::Fail, seen.seconds, datagram(seen, note + " while it had to hold"));
        } else if (!met_ && meets && seen.seconds <= windowEnd()) {
            met_ = datagram(seen, note);
            result_.holdsStartSeconds = seen.seconds;
            result_.holdsEndSeconds = seen.seconds + expect_.holds;
            if (expect_.holds <= 0)
                decide(Outcome::Pass, seen.seconds, *met_);
        }
        break;
    }
}

void ExpectationJudge::observeSilent(const Observation& seen)
{
    if (seen.seconds < expect_.after)
        return;
    const std::string note = "a datagram while it had to be silent";
    if (expect_.mode == Mode::Always || seen.seconds > windowEnd())
        decide(Outcome::Fail, seen.seconds, datagram(seen, note));
    else
        quietSince_ = seen.seconds;
}

void ExpectationJudge::advance(double now)
{
    if (decided_ || expect_.mode != Mode::Within)
        return;
    if (expect_.test == Test::Silent) {
        if (now < quietSince_ + expect_.holds)
            return;
        // The span that passed, for the chart.
        result_.holdsStartSeconds = quietSince_;
        result_.holdsEndSeconds = quietSince_ + expect_.holds;
        decide(Outcome::Pass, quietSince_ + expect_.holds,
               nothing(quietSince_ + expect_.holds, "nothing matching arrived from " +
                                                        Seconds(quietSince_) + " to " +
                                                        Seconds(quietSince_ + expect_.holds)));
    } else if (met_ && now >= *result_.holdsEndSeconds) {
        decide(Outcome::Pass, *result_.holdsEndSeconds, *met_);
    } else if (!met_ && now > windowEnd()) {
        decide(Outcome::Fail, windowEnd(), nothing(windowEnd(), "nothing matching arrived"));
    }
}

void ExpectationJudge::finish(double now)
{
    advance(now);
    if (decided_)
        return;
    switch (expect_.mode) {
    case Mode::Within:
        if (met_ || expect_.test == Test::Silent)
            decide(Outcome::Undecided, now,
                   nothing(now, "the run ended before the condition held for " +
                                    Seconds(expect_.holds)));
        else
            decide(Outcome::Fail, now, nothing(now, "nothing matching arrived"));
        break;
    case Mode::Always:
        // Holding "always" needs a value: a controller that sent nothing
        // did not keep the condition.
        if (!countedSinceAfter_ && expect_.test != Test::Silent && expect_.test != Test::LintClean)
            decide(Outcome::Fail, now, nothing(now, "nothing matching arrived"));
        else
            decide(Outcome::Pass, now, nothing(now, "held to the end"));
        break;
    case Mode::Never:
        decide(Outcome::Pass, now, nothing(now, "nothing meeting it arrived"));
        break;
    }
}

void ExpectationJudge::stop(double now)
{
    if (!decided_)
        decide(Outcome::Undecided, now, nothing(now, "the run was stopped"));
}

void ExpectationJudge::decide(report::Outcome outcome, double at, report::Evidence evidence)
{
    decided_ = true;
    result_.outcome = outcome;
    result_.decidedSeconds = at;
    result_.evidence = std::move(evidence);
}

report::Evidence ExpectationJudge::datagram(const Observation& seen, const std::string& note) const
{
    report::Evidence evidence;
    evidence.seconds = seen.seconds;
    evidence.source = seen.source;
    evidence.text = std::string(seen.text);
    evidence.isDatagram = true;
    evidence.note = note;
    return evidence;
}

report::Evidence ExpectationJudge::nothing(double at, const std::string& what) const
{
    report::Evidence evidence;
    evidence.seconds = at;
    evidence.text = what;
    if (expect_.test == Test::LintClean || expect_.test == Test::Silent)
        return evidence;
    evidence.text += last_ ? "; last value seen " + last_->second + " at " + Seconds(last_->first)
                           : "; no value seen";
    return evidence;
}

} // namespace judge
