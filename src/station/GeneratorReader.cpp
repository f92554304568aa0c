#include "station/GeneratorReader.h"

#include "station/PlaybackReader.h"
#include "station/TomlFields.h"

#include <array>
#include <limits>
#include <utility>

namespace station {

namespace {

using Kind = GeneratorSettings::Kind;

constexpr std::array<std::pair<std::string_view, Kind>, 7> kKinds{{
    {"constant", Kind::Constant},
    {"square", Kind::Square},
    {"random", Kind::Random},
    {"walk", Kind::Walk},
    {"sine", Kind::Sine},
    {"ramp", Kind::Ramp},
    {"playback", Kind::Playback},
}};

// A period or a duration: at least a second, at most a year.
constexpr double kLongest = 366 * 86400.0;

Kind ReadKind(TomlFields& fields)
{
    const std::string kind = fields.required(fields.text("kind", 16), "kind");
    for (const auto& [name, value] : kKinds) {
        if (name == kind)
            return value;
    }
    fields.fail(*fields.node("kind"),
                "kind must be constant, square, random, walk, sine, ramp or playback, got '" +
                    kind + "'");
}

double Value(TomlFields& fields, std::string_view key, double otherwise)
{
    return fields.number(key, -kLargestValue, kLargestValue).value_or(otherwise);
}

// A range whose ends may not cross.
void ReadRange(TomlFields& fields, GeneratorSettings& settings, bool whole)
{
    if (whole) {
        constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
        settings.min =
            static_cast<double>(fields.required(fields.integer("min", -kMax, kMax), "min"));
        settings.max =
            static_cast<double>(fields.required(fields.integer("max", -kMax, kMax), "max"));
    } else {
        settings.min = fields.required(fields.number("min", -kLargestValue, kLargestValue), "min");
        settings.max = fields.required(fields.number("max", -kLargestValue, kLargestValue), "max");
    }
    if (settings.min > settings.max)
        fields.fail(*fields.node("max"), "max must not be below min");
}

void ReadPlaybackKeys(TomlFields& fields, GeneratorSettings& settings, const std::string& baseDir)
{
    std::string path = fields.required(fields.path("file"), "file");
    if (!path.starts_with('/'))
        path = baseDir + path;
    const std::string format = fields.text("format", 8).value_or("values");
    if (format != "values" && format != "csv")
        fields.fail(*fields.node("format"), "format must be values or csv, got '" + format + "'");
    settings.timed = format == "csv";
    settings.loop = fields.flag("loop").value_or(false);
    if (settings.timed && settings.loop)
        fields.fail(*fields.node("loop"),
                    "loop plays a values file again; a csv file holds its last row");
    try {
        settings.rows = ReadPlayback(path, settings.timed);
    } catch (const ScenarioError& e) {
        // A fault of the played file as a whole is told where the scenario
        // names it; a faulty line has the played file's own position.
        if (e.positioned())
            throw;
        fields.fail(*fields.node("file"), e.what());
    }
}

} // namespace

GeneratorSettings ReadGenerator(const toml::table& table, const std::string& file,
                                const std::string& baseDir)
{
    TomlFields fields(table, file);
    GeneratorSettings settings;
    settings.kind = ReadKind(fields);
    switch (settings.kind) {
    case Kind::Constant:
        settings.value =
            fields.required(fields.number("value", -kLargestValue, kLargestValue), "value");
        break;
    case Kind::Square:
        settings.cycle =
            static_cast<std::int32_t>(fields.integer("cycle", 1, 1000000).value_or(60));
        [[fallthrough]];
    case Kind::Walk:
        settings.low = Value(fields, "low", 0);
        settings.high = Value(fields, "high", 1);
        break;
    case Kind::Random:
        ReadRange(fields, settings, true);
        break;
    case Kind::Sine:
        ReadRange(fields, settings, false);
        settings.period = fields.required(fields.number("period", 1, kLongest), "period");
        settings.phase = fields.number("phase", -kLongest, kLongest).value_or(0);
        break;
    case Kind::Ramp:
        settings.from = fields.number("from", -kLargestValue, kLargestValue);
        settings.to = fields.required(fields.number("to", -kLargestValue, kLargestValue), "to");
        settings.duration = fields.required(fields.number("duration", 1, kLongest), "duration");
        if (const std::optional<std::string> after = fields.text("after", 8)) {
            if (*after != "hold" && *after != "repeat")
                fields.fail(*fields.node("after"),
                            "after must be hold or repeat, got '" + *after + "'");
            settings.repeat = *after == "repeat";
        }
        break;
    case Kind::Playback:
        ReadPlaybackKeys(fields, settings, baseDir);
        break;
    }
    fields.finish();
    return settings;
}

} // namespace station
