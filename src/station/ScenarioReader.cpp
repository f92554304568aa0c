#include "station/ScenarioReader.h"

#include "ccm/CcmMessage.h"
#include "ccm/Cp932Encoder.h"
#include "ccm/DataMessage.h"
#include "ccm/Ipv4Text.h"
#include "discovery/Identity.h"
#include "station/CopyAddress.h"
#include "station/ExpectReader.h"
#include "station/GeneratorReader.h"
#include "station/KeyDepthCheck.h"
#include "station/TomlFields.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

namespace station {

namespace {

// A load test of many nodes, bounded so a typo cannot exhaust memory.
constexpr std::int64_t kMaxRepeat = 65536;

struct Context {
    const std::string& file;
    std::string baseDir;
};

Level ReadLevel(TomlFields& fields)
{
    const std::optional<std::string> text = fields.text("level", 8);
    if (!text)
        return *ParseLevel("A-10S-0");
    const std::optional<Level> level = ParseLevel(*text);
    if (!level)
        fields.fail(*fields.node("level"),
                    "level must be A-1S-0, A-1S-1, A-10S-0, A-10S-1, A-1M-0, A-1M-1, B-0, B-1, "
                    "S-1S-0 or S-1M-0, got '" +
                        *text + "'");
    return *level;
}

void ReadClamp(TomlFields& fields, CcmSettings& ccm)
{
    const toml::node* node = fields.node("clamp");
    if (!node)
        return;
    const toml::array* ends = node->as_array();
    if (!ends || ends->size() != 2 || !(*ends)[0].is_number() || !(*ends)[1].is_number())
        fields.fail(*node, "clamp must be [min, max]");
    ccm.clampMin = (*ends)[0].value<double>();
    ccm.clampMax = (*ends)[1].value<double>();
    if (!std::isfinite(*ccm.clampMin) || !std::isfinite(*ccm.clampMax))
        fields.fail(*node, "clamp must be finite");
    if (*ccm.clampMin > *ccm.clampMax)
        fields.fail(*node, "clamp's max must not be below its min");
}

// Everything of a CCM but how its value moves.
CcmSettings ReadCcmFields(TomlFields& fields, const NodeSettings& node)
{
    CcmSettings ccm;
    ccm.type = fields.required(fields.text("type", ccm::kTypeMaxChars), "type");
    if (ccm.type.empty())
        fields.fail(*fields.node("type"), "type must not be empty");
    // The node sends its own "cnd" each second: a second one would send
    // both values under one key.
    if (ccm.type == "cnd" && node.condition)
        fields.fail(*fields.node("type"),
                    "cnd is the node's own condition CCM; set condition = false to send your own");
    ccm.room = static_cast<std::int32_t>(fields.integer("room", 0, 127).value_or(node.room));
    ccm.region = static_cast<std::int32_t>(fields.integer("region", 0, 127).value_or(node.region));
    ccm.order = static_cast<std::int32_t>(fields.integer("order", 0, 30000).value_or(1));
    ccm.priority = static_cast<std::int32_t>(fields.integer("priority", 0, 30).value_or(29));
    ccm.level = ReadLevel(fields);
    ccm.cast = static_cast<std::int32_t>(fields.integer("cast", 0, ccm::kMaxCast).value_or(0));
    ccm.unit = fields.text("unit", 16).value_or("");
    return ccm;
}

void RequireNewKey(const TomlFields& fields, const toml::node& at, const NodeSettings& node,
                   const CcmSettings& ccm)
{
    const auto sameKey = [&](const CcmSettings& other) {
        return other.type == ccm.type && other.room == ccm.room && other.region == ccm.region &&
               other.order == ccm.order;
    };
    if (std::any_of(node.ccms.begin(), node.ccms.end(), sameKey))
        fields.fail(at, "the node already has a CCM '" + ccm.type +
                            "' with that room, region and order");
}

CcmSettings ReadCcm(const toml::table& table, const NodeSettings& node, const Context& context)
{
    TomlFields fields(table, context.file);
    CcmSettings ccm = ReadCcmFields(fields, node);
    ccm.noise = fields.number("noise", 0, kLargestValue).value_or(0);
    ReadClamp(fields, ccm);
    const toml::table* generator = fields.table("generator");
    if (!generator)
        fields.fail(table, "missing key 'generator'");
    ccm.generator = ReadGenerator(*generator, context.file, context.baseDir);
    fields.finish();
    RequireNewKey(fields, *fields.node("type"), node, ccm);
    return ccm;
}

void ReadCommand(TomlFields& outer, const toml::table& table, const NodeSettings& node,
                 const Context& context, ActuatorSettings& actuator)
{
    const toml::table* command = outer.table("command");
    if (!command)
        outer.fail(table, "missing key 'command'");
    TomlFields fields(*command, context.file);
    actuator.commandType = fields.required(fields.text("type", ccm::kTypeMaxChars), "type");
    if (actuator.commandType.empty())
        fields.fail(*fields.node("type"), "type must not be empty");
    actuator.commandRoom =
        static_cast<std::int32_t>(fields.integer("room", 0, 127).value_or(node.room));
    actuator.commandRegion =
        static_cast<std::int32_t>(fields.integer("region", 0, 127).value_or(node.region));
    actuator.commandOrder =
        static_cast<std::int32_t>(fields.integer("order", 0, 30000).value_or(1));
    fields.finish();
}

// An actuator adds its state CCM to the node's, sent like any other.
void ReadActuator(const toml::table& table, NodeSettings& node, const Context& context)
{
    TomlFields fields(table, context.file);
    ActuatorSettings actuator;
    ReadCommand(fields, table, node, context, actuator);
    actuator.min = fields.number("min", -kLargestValue, kLargestValue).value_or(0);
    actuator.max = fields.number("max", -kLargestValue, kLargestValue).value_or(100);
    if (actuator.max < actuator.min)
        fields.fail(*fields.node("max"), "max must not be below min");
    actuator.rate = fields.number("rate", 1e-9, kLargestValue).value_or(1);
    actuator.initial = fields.number("initial", actuator.min, actuator.max).value_or(actuator.min);
    const toml::table* stateTable = fields.table("state");
    if (!stateTable)
        fields.fail(table, "missing key 'state'");
    TomlFields stateFields(*stateTable, context.file);
    CcmSettings state = ReadCcmFields(stateFields, node);
    stateFields.finish();
    RequireNewKey(stateFields, *stateFields.node("type"), node, state);
    state.generator.value = actuator.initial;
    state.clampMin = actuator.min;
    state.clampMax = actuator.max;
    fields.finish();
    actuator.stateIndex = node.ccms.size();
    node.ccms.push_back(std::move(state));
    node.actuators.push_back(actuator);
}

// A UECSID or MAC: 12 hex digits, or six pairs split by ':' or '-'.
std::optional<std::string> ReadId(TomlFields& fields, std::string_view key)
{
    const std::optional<std::string> text = fields.text(key, 17);
    if (!text)
        return std::nullopt;
    const std::optional<std::string> id = discovery::NormalizeId(*text);
    if (!id)
        fields.fail(*fields.node(key),
                    std::string(key) + " must be 12 hex digits, got '" + *text + "'");
    return id;
}

// A name or vendor, counted as the NODE reply carries it: a kanji is two bytes.
std::optional<std::string> ReadIdentityText(TomlFields& fields, std::string_view key,
                                            ccm::Cp932Encoder& encoder)
{
    const std::optional<std::string> text = fields.text(key, discovery::kMaxIdentityBytes);
    if (const std::size_t bytes = text ? encoder.encode(*text).size() : 0;
        bytes > discovery::kMaxIdentityBytes)
        fields.fail(*fields.node(key), std::string(key) + " must be at most " +
                                           std::to_string(discovery::kMaxIdentityBytes) +
                                           " bytes in Shift-JIS, got " + std::to_string(bytes));
    return text;
}

void ReadIdentity(TomlFields& fields, NodeSettings& node)
{
    node.answerScans = fields.flag("answer_scans").value_or(true);
    ccm::Cp932Encoder encoder;
    node.name = ReadIdentityText(fields, "name", encoder);
    node.vendor = ReadIdentityText(fields, "vendor", encoder);
    node.uecsId = ReadId(fields, "uecsid");
    node.mac = ReadId(fields, "mac");
}

NodeSettings ReadNode(const toml::table& table, const Context& context)
{
    TomlFields fields(table, context.file);
    NodeSettings node;
    node.address = fields.text("address", ccm::kIpMaxChars).value_or("auto");
    if (node.address != "auto" && !ccm::ParseIpv4(node.address))
        fields.fail(*fields.node("address"),
                    "address must be an IPv4 address or \"auto\", got '" + node.address + "'");
    node.repeat = static_cast<std::int32_t>(fields.integer("repeat", 1, kMaxRepeat).value_or(1));
    if (const toml::node* repeat = fields.node("repeat")) {
        const toml::source_position& at = repeat->source().begin;
        node.repeatPlace =
            context.file + ':' + std::to_string(at.line) + ':' + std::to_string(at.column);
    }
    if (const std::optional<std::uint32_t> first = ccm::ParseIpv4(node.address);
        first && !CopyAddress(*first, static_cast<std::uint32_t>(node.repeat - 1)))
        fields.fail(*fields.node("repeat"), kRepeatTooFar);
    node.room = static_cast<std::int32_t>(fields.integer("room", 0, 127).value_or(1));
    node.region = static_cast<std::int32_t>(fields.integer("region", 0, 127).value_or(1));
    node.condition = fields.flag("condition").value_or(true);
    ReadIdentity(fields, node);
    if (const toml::array* ccms = fields.tables("ccm")) {
        for (const toml::node& ccm : *ccms)
            node.ccms.push_back(ReadCcm(*ccm.as_table(), node, context));
    }
    if (const toml::array* actuators = fields.tables("actuator")) {
        for (const toml::node& actuator : *actuators)
            ReadActuator(*actuator.as_table(), node, context);
    }
    fields.finish();
    return node;
}

// A fault for the actuators whose state CCM the event names.
void ReadFault(TomlFields& fields, const toml::table& table, const std::string& text,
               const Scenario& scenario, EventSettings& event)
{
    using Fault = EventSettings::Fault;
    constexpr std::pair<const char*, Fault> kFaults[] = {{"stuck", Fault::Stuck},
                                                         {"slow", Fault::Slow},
                                                         {"ignore", Fault::Ignore},
                                                         {"silent", Fault::Silent},
                                                         {"recover", Fault::Recover}};
    const auto* found = std::find_if(std::begin(kFaults), std::end(kFaults),
                                     [&](const auto& fault) { return text == fault.first; });
    if (found == std::end(kFaults))
        fields.fail(*fields.node("fault"),
                    "fault must be stuck, slow, ignore, silent or recover, got " + Quoted(text));
    event.fault = found->second;
    if (event.fault == Fault::Slow)
        event.rate = fields.required(fields.number("rate", 1e-9, kLargestValue), "rate");
    if (fields.node("value") || fields.node("generator"))
        fields.fail(table, "a fault event sets no value or generator");
    const bool exists =
        std::any_of(scenario.nodes.begin(), scenario.nodes.end(), [&](const NodeSettings& node) {
            return std::any_of(node.actuators.begin(), node.actuators.end(),
                               [&](const ActuatorSettings& actuator) {
                                   return EventMatches(event, node.ccms[actuator.stateIndex]);
                               });
        });
    if (!exists)
        fields.fail(*fields.node("ccm"), "no actuator whose state is '" + event.type +
                                             "' with that room, region and order");
}

EventSettings ReadEvent(const toml::table& table, const Scenario& scenario, const Context& context)
{
    TomlFields fields(table, context.file);
    EventSettings event;
    event.name = fields.text("name", 200);
    if (event.name &&
        std::any_of(scenario.events.begin(), scenario.events.end(),
                    [&](const EventSettings& other) { return other.name == event.name; }))
        fields.fail(*fields.node("name"), "another event is named " + Quoted(*event.name));
    event.at = fields.required(fields.number("at", 0, 366 * 86400.0), "at");
    event.type = fields.required(fields.text("ccm", ccm::kTypeMaxChars), "ccm");
    event.room = fields.integer("room", 0, 127);
    event.region = fields.integer("region", 0, 127);
    event.order = fields.integer("order", 0, 30000);
    if (const std::optional<std::string> fault = fields.text("fault", 8)) {
        ReadFault(fields, table, *fault, scenario, event);
        fields.finish();
        return event;
    }
    event.value = fields.number("value", -kLargestValue, kLargestValue);
    if (const toml::table* generator = fields.table("generator"))
        event.generator = ReadGenerator(*generator, context.file, context.baseDir);
    if (event.value.has_value() == event.generator.has_value())
        fields.fail(table, "an event sets either a value or a generator");
    fields.finish();
    const auto matches = [&](const CcmSettings& ccm) { return EventMatches(event, ccm); };
    const bool exists =
        std::any_of(scenario.nodes.begin(), scenario.nodes.end(), [&](const NodeSettings& node) {
            return std::any_of(node.ccms.begin(), node.ccms.end(), matches) ||
                   (node.condition && matches(ConditionCcm(node)));
        });
    if (!exists)
        fields.fail(*fields.node("ccm"),
                    "no CCM '" + event.type + "' with that room, region and order");
    return event;
}

std::string ReadWholeFile(const std::string& path)
{
    RequireReadableFile(path);
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw ScenarioError(path, "cannot be read");
    return text;
}

} // namespace

Scenario ReadScenario(const std::string& path)
{
    const std::string text = ReadWholeFile(path);
    KeyDepthCheck(path).check(text);
    toml::table root;
    try {
        root = toml::parse(text, path);
    } catch (const toml::parse_error& e) {
        throw ScenarioError(path, e.source().begin.line, e.source().begin.column,
                            std::string(e.description()));
    }
    const std::size_t slash = path.rfind('/');
    const Context context{path, slash == std::string::npos ? "" : path.substr(0, slash + 1)};
    TomlFields fields(root, path);
    Scenario scenario;
    scenario.name = fields.text("name", 200);
    // Test runs only; the station runs until stopped.
    scenario.duration = fields.number("duration", 1, 366 * 86400.0);
    if (const std::optional<std::int64_t> seed = fields.integer("seed", 0, 0xFFFFFFFF))
        scenario.seed = static_cast<std::uint32_t>(*seed);
    const toml::array* nodes = fields.tables("node");
    if (!nodes)
        throw ScenarioError(path, "has no [[node]]");
    for (const toml::node& node : *nodes)
        scenario.nodes.push_back(ReadNode(*node.as_table(), context));
    if (const toml::array* events = fields.tables("event")) {
        for (const toml::node& event : *events)
            scenario.events.push_back(ReadEvent(*event.as_table(), scenario, context));
    }
    if (const toml::array* expectations = fields.tables("expect")) {
        for (const toml::node& expect : *expectations)
            scenario.expectations.push_back(ReadExpect(*expect.as_table(), scenario, path));
    }
    fields.finish();
    std::stable_sort(scenario.events.begin(), scenario.events.end(),
                     [](const EventSettings& a, const EventSettings& b) { return a.at < b.at; });
    return scenario;
}

} // namespace station
