#include "station/ExpectReader.h"

#include "ccm/CcmMessage.h"
#include "ccm/Decoder.h"
#include "ccm/Ipv4Text.h"
#include "station/TomlFields.h"

#include <algorithm>
#include <array>
#include <utility>

namespace station {

namespace {

// A year, as the events' times.
constexpr double kLongestSeconds = 366 * 86400.0;

SelectorSettings ReadSelector(TomlFields& outer, const toml::table& expect, const std::string& file,
                              bool lint)
{
    const toml::table* table = outer.table("ccm");
    if (!table)
        outer.fail(expect, "missing key 'ccm'");
    TomlFields fields(*table, file);
    SelectorSettings selector;
    // The ranges are the wire's: a room of 200 could never match a datagram.
    selector.room = fields.integer("room", 0, ccm::kMaxRoom);
    selector.region = fields.integer("region", 0, ccm::kMaxRegion);
    selector.order = fields.integer("order", 0, ccm::kMaxOrder);
    selector.from = fields.text("from", ccm::kIpMaxChars);
    if (selector.from && !ccm::ParseIpv4(*selector.from))
        fields.fail(*fields.node("from"),
                    "from must be an IPv4 address, got '" + *selector.from + "'");
    const std::optional<std::string> type = fields.text("type", ccm::kTypeMaxChars);
    if (type && type->empty())
        fields.fail(*fields.node("type"), "type must not be empty");
    // Lint may watch everything one address sends, whatever its type.
    if (!type && !(lint && selector.from))
        fields.fail(*table, "missing key 'type'");
    selector.type = type.value_or("");
    fields.finish();
    return selector;
}

void ReadAfter(TomlFields& fields, const Scenario& scenario, ExpectSettings& expect)
{
    const toml::node* after = fields.node("after");
    if (!after)
        return;
    if (const auto name = after->value<std::string>()) {
        const auto event =
            std::find_if(scenario.events.begin(), scenario.events.end(),
                         [&](const EventSettings& candidate) { return candidate.name == *name; });
        if (event == scenario.events.end())
            fields.fail(*after, "no event named " + Quoted(*name));
        expect.after = event->at;
        expect.afterEvent = *name;
        return;
    }
    expect.after = fields.required(fields.number("after", 0, kLongestSeconds), "after");
}

// The one condition; `lint` is read by the caller.
void ReadCondition(TomlFields& fields, const toml::table& table, ExpectSettings& expect, bool lint)
{
    using Test = ExpectSettings::Test;
    constexpr std::array<std::pair<const char*, Test>, 5> kTests{{{"value", Test::Value},
                                                                  {"below", Test::Below},
                                                                  {"above", Test::Above},
                                                                  {"between", Test::Between},
                                                                  {"silent", Test::Silent}}};
    int count = lint ? 1 : 0;
    for (const auto& [key, test] : kTests)
        if (const toml::node* node = fields.node(key)) {
            if (++count > 1)
                fields.fail(*node, "an expectation has one condition: value, below, above, "
                                   "between, silent or lint");
            expect.test = test;
        }
    if (count == 0)
        fields.fail(table, "an expectation needs a condition: value, below, above, between, "
                           "silent or lint");
    if (lint)
        return;
    constexpr double kLargest = 1e15;
    switch (expect.test) {
    case Test::Value:
    case Test::Above:
        expect.low =
            *fields.number(expect.test == Test::Value ? "value" : "above", -kLargest, kLargest);
        break;
    case Test::Below:
        expect.high = *fields.number("below", -kLargest, kLargest);
        break;
    case Test::Between: {
        const toml::array* ends = fields.node("between")->as_array();
        if (!ends || ends->size() != 2 || !(*ends)[0].is_number() || !(*ends)[1].is_number())
            fields.fail(*fields.node("between"), "between must be [low, high]");
        expect.low = *(*ends)[0].value<double>();
        expect.high = *(*ends)[1].value<double>();
        if (!(expect.low <= expect.high))
            fields.fail(*fields.node("between"), "between's high must not be below its low");
        break;
    }
    case Test::Silent:
        if (fields.flag("silent") != true)
            fields.fail(*fields.node("silent"), "silent must be true when given");
        break;
    case Test::LintClean:
        break;
    }
}

void ReadMode(TomlFields& fields, const toml::table& table, ExpectSettings& expect)
{
    using Mode = ExpectSettings::Mode;
    const bool always = fields.flag("always").value_or(false);
    const bool never = fields.flag("never").value_or(false);
    expect.within = fields.number("within", 0, kLongestSeconds);
    expect.holds = fields.number("holds", 0, kLongestSeconds).value_or(0);
    const bool within = expect.within || fields.node("holds");
    if (always + never + within > 1)
        fields.fail(table, "an expectation has one mode: within (with holds), always or never");
    expect.mode = always ? Mode::Always : never ? Mode::Never : Mode::Within;
    const bool silent = expect.test == ExpectSettings::Test::Silent;
    if (expect.test == ExpectSettings::Test::LintClean && expect.mode != Mode::Always) {
        if (within || never)
            fields.fail(table, "lint is judged from `after` to the end: leave out within, "
                               "holds and never");
        expect.mode = Mode::Always;
    }
    if (silent && never)
        fields.fail(*fields.node("never"), "never with silent: say always with a condition");
    // Silence is a span: it needs a length to be met.
    if (silent && expect.mode == Mode::Within && expect.holds <= 0)
        fields.fail(table, "silent with within needs holds > 0: how long the silence must last");
}

} // namespace

ExpectSettings ReadExpect(const toml::table& table, const Scenario& scenario,
                          const std::string& file)
{
    TomlFields fields(table, file);
    ExpectSettings expect;
    expect.line = table.source().begin.line;
    expect.name =
        fields.text("name", 200).value_or("expectation at line " + std::to_string(expect.line));
    const std::optional<std::string> lint = fields.text("lint", 8);
    if (lint && *lint != "clean")
        fields.fail(*fields.node("lint"), "lint must be \"clean\", got " + Quoted(*lint));
    if (lint)
        expect.test = ExpectSettings::Test::LintClean;
    expect.selector = ReadSelector(fields, table, file, lint.has_value());
    ReadAfter(fields, scenario, expect);
    ReadCondition(fields, table, expect, lint.has_value());
    ReadMode(fields, table, expect);
    fields.finish();
    return expect;
}

} // namespace station
