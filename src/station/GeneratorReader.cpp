#include "station/GeneratorReader.h"

#include "station/PlaybackReader.h"
#include "station/TomlFields.h"

#include <array>
#include <limits>
#include <utility>

namespace station {

namespace {

using Kind = GeneratorSpec::Kind;

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
void ReadRange(TomlFields& fields, GeneratorSpec& spec, bool whole)
{
    if (whole) {
        constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
        spec.min = static_cast<double>(fields.required(fields.integer("min", -kMax, kMax), "min"));
        spec.max = static_cast<double>(fields.required(fields.integer("max", -kMax, kMax), "max"));
    } else {
        spec.min = fields.required(fields.number("min", -kLargestValue, kLargestValue), "min");
        spec.max = fields.required(fields.number("max", -kLargestValue, kLargestValue), "max");
    }
    if (spec.min > spec.max)
        fields.fail(*fields.node("max"), "max must not be below min");
}

void ReadPlaybackKeys(TomlFields& fields, GeneratorSpec& spec, const std::string& baseDir)
{
    std::string path = fields.required(fields.text("file", 4096), "file");
    if (!path.starts_with('/'))
        path = baseDir + path;
    const std::string format = fields.text("format", 8).value_or("values");
    if (format != "values" && format != "csv")
        fields.fail(*fields.node("format"), "format must be values or csv, got '" + format + "'");
    spec.timed = format == "csv";
    spec.loop = fields.flag("loop").value_or(false);
    if (spec.timed && spec.loop)
        fields.fail(*fields.node("loop"),
                    "loop plays a values file again; a csv file holds its last row");
    spec.rows = ReadPlayback(path, spec.timed);
}

} // namespace

GeneratorSpec ReadGenerator(const toml::table& table, const std::string& file,
                            const std::string& baseDir)
{
    TomlFields fields(table, file);
    GeneratorSpec spec;
    spec.kind = ReadKind(fields);
    switch (spec.kind) {
    case Kind::Constant:
        spec.value =
            fields.required(fields.number("value", -kLargestValue, kLargestValue), "value");
        break;
    case Kind::Square:
        spec.cycle = static_cast<std::int32_t>(fields.integer("cycle", 1, 1000000).value_or(60));
        [[fallthrough]];
    case Kind::Walk:
        spec.low = Value(fields, "low", 0);
        spec.high = Value(fields, "high", 1);
        break;
    case Kind::Random:
        ReadRange(fields, spec, true);
        break;
    case Kind::Sine:
        ReadRange(fields, spec, false);
        spec.period = fields.required(fields.number("period", 1, kLongest), "period");
        spec.phase = fields.number("phase", -kLongest, kLongest).value_or(0);
        break;
    case Kind::Ramp:
        spec.from = fields.number("from", -kLargestValue, kLargestValue);
        spec.to = fields.required(fields.number("to", -kLargestValue, kLargestValue), "to");
        spec.duration = fields.required(fields.number("duration", 1, kLongest), "duration");
        if (const std::optional<std::string> after = fields.text("after", 8)) {
            if (*after != "hold" && *after != "repeat")
                fields.fail(*fields.node("after"),
                            "after must be hold or repeat, got '" + *after + "'");
            spec.repeat = *after == "repeat";
        }
        break;
    case Kind::Playback:
        ReadPlaybackKeys(fields, spec, baseDir);
        break;
    }
    fields.finish();
    return spec;
}

} // namespace station
