#include "judge/Condition.h"

#include "station/TomlFields.h"

namespace judge {

using Test = station::ExpectSettings::Test;

bool ValueMeets(const station::ExpectSettings& expect, std::optional<double> value)
{
    if (!value)
        return false;
    switch (expect.test) {
    case Test::Value:
        return *value == expect.low;
    case Test::Below:
        return *value < expect.high;
    case Test::Above:
        return *value > expect.low;
    case Test::Between:
        return *value >= expect.low && *value <= expect.high;
    case Test::Silent:
    case Test::LintClean:
        break;
    }
    return false;
}

std::string ConditionText(const station::ExpectSettings& expect)
{
    using station::NumberText;
    switch (expect.test) {
    case Test::Value:
        return "value = " + NumberText(expect.low);
    case Test::Below:
        return "below " + NumberText(expect.high);
    case Test::Above:
        return "above " + NumberText(expect.low);
    case Test::Between:
        return "between " + NumberText(expect.low) + " and " + NumberText(expect.high);
    case Test::Silent:
        return "silent";
    case Test::LintClean:
        return "lint clean";
    }
    return {};
}

std::string ModeName(station::ExpectSettings::Mode mode)
{
    switch (mode) {
    case station::ExpectSettings::Mode::Within:
        return "within";
    case station::ExpectSettings::Mode::Always:
        return "always";
    case station::ExpectSettings::Mode::Never:
        return "never";
    }
    return {};
}

} // namespace judge
