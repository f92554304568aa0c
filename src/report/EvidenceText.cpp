#include "report/EvidenceText.h"

#include "report/NumberText.h"

namespace report {

std::string OutcomeWord(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Pass:
        return "PASS";
    case Outcome::Fail:
        return "FAIL";
    case Outcome::Undecided:
        break;
    }
    return "UNDECIDED";
}

std::string EvidenceLine(const Evidence& evidence)
{
    std::string line = "at " + Fixed(evidence.seconds, 3) + " s";
    if (!evidence.source.empty())
        line += " from " + evidence.source;
    if (!evidence.text.empty())
        line += ": " + evidence.text;
    return line;
}

Tally Count(const ScenarioResult& result)
{
    Tally tally;
    for (const ExpectationResult& expectation : result.expectations) {
        switch (expectation.outcome) {
        case Outcome::Pass:
            ++tally.passed;
            break;
        case Outcome::Fail:
            ++tally.failed;
            break;
        case Outcome::Undecided:
            ++tally.undecided;
            break;
        }
    }
    return tally;
}

} // namespace report
