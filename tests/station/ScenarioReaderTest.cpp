// Reading scenarios: what a good file gives, and every class of error
// refused with its file, line and column.

#include "station/ScenarioReader.h"
#include "node/ScratchDir.h"
#include "station/ScenarioError.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A node with one good CCM, for cases that break something after it.
constexpr const char* kGoodNode = R"([[node]]
[[node.ccm]]
type = "WRainfall"
generator = { kind = "constant", value = 0 }
)";

std::string Repeated(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

struct BadCase {
    const char* name;
    std::string text;
    // The error, after the scratch folder: a played file's errors name it
    // rather than the scenario. "$DIR/" stands for the scratch folder.
    std::string error;
};

std::ostream& operator<<(std::ostream& out, const BadCase& c)
{
    return out << c.name;
}

class RefusedScenario : public testing::TestWithParam<BadCase> {};

TEST_P(RefusedScenario, NamesFileLineColumnAndWhat)
{
    ScratchDir dir;
    dir.write("rows.txt", "1\n0\nx1\n");
    std::filesystem::create_directory(dir.path() / "sub");
    dir.write("times.csv", "seconds,value\n0,1\n60,2\n30,3\n");
    dir.write("long.txt", "1\n" + std::string(100000, '7') + "x\n");
    dir.write("empty.txt", "\n");
    const std::string path = dir.write("bad.toml", GetParam().text);
    try {
        station::ReadScenario(path);
        FAIL() << "accepted";
    } catch (const station::ScenarioError& e) {
        const std::string folder = (dir.path() / "").string();
        std::string error = GetParam().error;
        for (std::size_t at; (at = error.find("$DIR/")) != std::string::npos;)
            error.replace(at, 5, folder);
        EXPECT_EQ(e.what(), folder + error);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Errors, RefusedScenario,
    testing::Values(
        BadCase{"Syntax", "seed = \n",
                "bad.toml:1:8: Error while parsing key-value pair: expected value, saw '\\n'"},
        BadCase{"NoNode", "seed = 1\n", "bad.toml: has no [[node]]"},
        BadCase{"UnknownTopKey", std::string(kGoodNode) + "colour = 1\n",
                "bad.toml:5:1: unknown key 'colour'"},
        BadCase{"UnknownCcmKey", std::string(kGoodNode) + "ordr = 2\n",
                "bad.toml:5:1: unknown key 'ordr'"},
        BadCase{"UecsIdNotHex", "[[node]]\nuecsid = \"10100C00000G\"\n",
                "bad.toml:2:10: uecsid must be 12 hex digits, got '10100C00000G'"},
        BadCase{"MacTooShort", "[[node]]\nmac = \"02:00:00:00:01\"\n",
                "bad.toml:2:7: mac must be 12 hex digits, got '02:00:00:00:01'"},
        BadCase{"NameBreaksTheReply", "[[node]]\nname = \"a<b\"\n",
                "bad.toml:2:8: name must not hold control characters or <>&\""},
        // 33 kanji: 66 bytes on the wire, under 64 characters.
        BadCase{"NameOverItsWireBytes", "[[node]]\nname = \"" + Repeated("\u6E29", 33) + "\"\n",
                "bad.toml:2:8: name must be at most 64 bytes in Shift-JIS, got 66"},
        BadCase{"VendorOverItsWireBytes",
                "[[node]]\nvendor = \"a" + Repeated("\u5BA4", 32) + "\"\n",
                "bad.toml:2:10: vendor must be at most 64 bytes in Shift-JIS, got 65"},
        BadCase{"AnswerScansNotAFlag", "[[node]]\nanswer_scans = 1\n",
                "bad.toml:2:16: answer_scans must be true or false"},
        BadCase{"UnknownGeneratorKey",
                "[[node]]\n[[node.ccm]]\ntype = \"T\"\ngenerator = { kind = \"sine\", min = 0, max "
                "= 1, "
                "period = 60, amplitude = 3 }\n",
                "bad.toml:4:61: unknown key 'amplitude'"},
        BadCase{"RoomOutOfRange", "[[node]]\nroom = 200\n",
                "bad.toml:2:8: room must be 0..127, got 200"},
        BadCase{"PriorityOutOfRange", std::string(kGoodNode) + "priority = 31\n",
                "bad.toml:5:12: priority must be 0..30, got 31"},
        BadCase{"WrongKind", std::string(kGoodNode) + "cast = \"1\"\n",
                "bad.toml:5:8: cast must be a whole number"},
        BadCase{"SeedOutOfRange", "seed = -1\n" + std::string(kGoodNode),
                "bad.toml:1:8: seed must be 0..4294967295, got -1"},
        BadCase{"TypeTooLong", "[[node]]\n[[node.ccm]]\ntype = \"InAirTemperature.mIC\"\n",
                "bad.toml:3:8: type must be at most 19 characters, got 20"},
        BadCase{"TypeBreaksTheMessage", "[[node]]\n[[node.ccm]]\ntype = \"T<\"\n",
                "bad.toml:3:8: type must not hold control characters or <>&\""},
        BadCase{"MissingType", "[[node]]\n[[node.ccm]]\nlevel = \"B-0\"\n",
                "bad.toml:2:1: missing key 'type'"},
        BadCase{"MissingGenerator", "[[node]]\n[[node.ccm]]\ntype = \"T\"\n",
                "bad.toml:2:1: missing key 'generator'"},
        BadCase{"BadLevel", std::string(kGoodNode) + "level = \"A-5S-0\"\n",
                "bad.toml:5:9: level must be A-1S-0, A-1S-1, A-10S-0, A-10S-1, A-1M-0, A-1M-1, "
                "B-0, B-1, "
                "S-1S-0 or S-1M-0, got 'A-5S-0'"},
        BadCase{"BadAddress", "[[node]]\naddress = \"10.0.0.256\"\n",
                "bad.toml:2:11: address must be an IPv4 address or \"auto\", got '10.0.0.256'"},
        BadCase{"RepeatPastTheLastAddress", "[[node]]\naddress = \"255.255.255.250\"\nrepeat = 7\n",
                "bad.toml:3:10: repeat runs the addresses past 255.255.255.254"},
        // Copies skip .255 and .0: from .250 seven need 255.255.255.254 and two more.
        BadCase{"RepeatPastTheLastHostAddress",
                "[[node]]\naddress = \"255.255.255.250\"\nrepeat = 6\n",
                "bad.toml:3:10: repeat runs the addresses past 255.255.255.254"},
        BadCase{"TypeNotInShiftJis",
                "[[node]]\n[[node.ccm]]\ntype = \"A\xF0\x9F\x98\x80\xC3\xA9\"\n",
                "bad.toml:3:8: type must hold only characters Shift-JIS can encode, got "
                "'\xF0\x9F\x98\x80'"},
        BadCase{"UnitNotInShiftJis", std::string(kGoodNode) + "unit = \"\xC3\xA9\"\n",
                "bad.toml:5:8: unit must hold only characters Shift-JIS can encode, got "
                "'\xC3\xA9'"},
        BadCase{"SameCcmTwice",
                std::string(kGoodNode) + "[[node.ccm]]\ntype = \"WRainfall\"\nlevel = \"B-0\"\n"
                                         "generator = { kind = \"constant\", value = 1 }\n",
                "bad.toml:6:8: the node already has a CCM 'WRainfall' with that room, region and "
                "order"},
        BadCase{"CcmNamedCnd",
                "[[node]]\n[[node.ccm]]\ntype = \"cnd\"\n"
                "generator = { kind = \"constant\", value = 1 }\n",
                "bad.toml:3:8: cnd is the node's own condition CCM; set condition = false to send "
                "your own"},
        BadCase{"DeepDottedKey", "[[node]]\n  a" + Repeated(".a", 40000) + " = 1\n",
                "bad.toml:2:3: a key of more than 64 parts"},
        BadCase{"DeepTableHeader", "seed = 1\n[\"x.y\"" + Repeated(" . b", 40000) + "]\n",
                "bad.toml:2:2: a key of more than 64 parts"},
        BadCase{"LongUnknownKey", std::string(kGoodNode) + std::string(100000, 'k') + " = 1\n",
                "bad.toml:5:1: unknown key '" + std::string(60, 'k') + "...'"},
        BadCase{"PlayedLineTooLongToQuote",
                "[[node]]\n[[node.ccm]]\ntype = \"T\"\ngenerator = { kind = \"playback\", file = "
                "\"long.txt\" }\n",
                "long.txt:2:1: not a number up to 1e9: '" + std::string(60, '7') + "...'"},
        BadCase{"PlayedFileEmpty",
                "[[node]]\n[[node.ccm]]\ntype = \"T\"\ngenerator = { kind = \"playback\", file = "
                "\"empty.txt\" }\n",
                "bad.toml:4:41: $DIR/empty.txt: holds no value"},
        BadCase{"ClampReversed", std::string(kGoodNode) + "clamp = [5, 1]\n",
                "bad.toml:5:9: clamp's max must not be below its min"},
        BadCase{"EventForNoCcm",
                std::string(kGoodNode) + "[[event]]\nat = 600\nccm = \"WRain\"\nvalue = 1\n",
                "bad.toml:7:7: no CCM 'WRain' with that room, region and order"},
        BadCase{"EventForAnotherRoom",
                std::string(kGoodNode) +
                    "[[event]]\nat = 600\nccm = \"WRainfall\"\nroom = 2\nvalue = 1\n",
                "bad.toml:7:7: no CCM 'WRainfall' with that room, region and order"},
        BadCase{"EventForTheConditionOfAnotherRoom",
                std::string(kGoodNode) + "[[event]]\nat = 1\nccm = \"cnd\"\nroom = 3\nvalue = 1\n",
                "bad.toml:7:7: no CCM 'cnd' with that room, region and order"},
        BadCase{"EventValueAndGenerator",
                std::string(kGoodNode) + "[[event]]\nat = 1\nccm = \"WRainfall\"\nvalue = 1\n"
                                         "generator = { kind = \"constant\", value = 2 }\n",
                "bad.toml:5:1: an event sets either a value or a generator"},
        BadCase{"UnknownGeneratorKind",
                "[[node]]\n[[node.ccm]]\ntype = \"T\"\ngenerator = { kind = \"saw\" }\n",
                "bad.toml:4:22: kind must be constant, square, random, walk, sine, ramp or "
                "playback, got 'saw'"},
        BadCase{"SineRangeCrossed",
                "[[node]]\n[[node.ccm]]\ntype = \"T\"\ngenerator = { kind = \"sine\", min = 5, max "
                "= 1, "
                "period = 60 }\n",
                "bad.toml:4:45: max must not be below min"},
        BadCase{"RampOfNoDuration",
                "[[node]]\n[[node.ccm]]\ntype = \"T\"\ngenerator = { kind = \"ramp\", to = 5, "
                "duration = 0 }\n",
                "bad.toml:4:49: duration must be 1..31622400, got 0"},
        BadCase{"RandomNotWhole",
                "[[node]]\n[[node.ccm]]\ntype = \"T\"\ngenerator = { kind = \"random\", min = 0.5, "
                "max = 1 }\n",
                "bad.toml:4:38: min must be a whole number"},
        BadCase{"ValueOutOfRange",
                "[[node]]\n[[node.ccm]]\ntype = \"T\"\ngenerator = { kind = \"constant\", value = "
                "inf }\n",
                "bad.toml:4:42: value must be -1e+09..1e+09, got inf"},
        BadCase{"PlayedLineNotANumber",
                "[[node]]\n[[node.ccm]]\ntype = \"T\"\ngenerator = { kind = \"playback\", file = "
                "\"rows.txt\" }\n",
                "rows.txt:3:1: not a number up to 1e9: 'x1'"},
        BadCase{"PlayedTimesGoBack",
                "[[node]]\n[[node.ccm]]\ntype = \"T\"\ngenerator = { kind = \"playback\", file = "
                "\"times.csv\", format = \"csv\" }\n",
                "times.csv:4:1: times must start at 0 or later and never go back"},
        BadCase{"PlayedDirectory",
                "[[node]]\n[[node.ccm]]\ntype = \"T\"\ngenerator = { kind = \"playback\", file = "
                "\"sub\" }\n",
                "bad.toml:4:41: $DIR/sub: is not a regular file"},
        BadCase{"PlayedFileMissing",
                "[[node]]\n[[node.ccm]]\ntype = \"T\"\ngenerator = { kind = \"playback\", file = "
                "\"none.txt\" }\n",
                "bad.toml:4:41: $DIR/none.txt: cannot be read: No such file or directory"}),
    [](const testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

TEST(RefusedScenarioFile, MissingOrNotARegularFile)
{
    ScratchDir dir;
    const std::string missing = (dir.path() / "none.toml").string();
    EXPECT_THROW(
        {
            try {
                station::ReadScenario(missing);
            } catch (const station::ScenarioError& e) {
                EXPECT_EQ(e.what(), missing + ": cannot be read: No such file or directory");
                throw;
            }
        },
        station::ScenarioError);
    EXPECT_THROW(station::ReadScenario(dir.path().string()), station::ScenarioError);
}

TEST(GoodScenario, GivesEveryFieldWithTheNodesDefaultsAndEventsInTimeOrder)
{
    ScratchDir dir;
    dir.write("rain.txt", "1\r\n0\n\n1\n");
    const std::string path = dir.write("good.toml", R"(seed = 42
[[node]]
address = "192.168.1.70"
repeat = 3
room = 5
region = 6
condition = false
[[node.ccm]]
type = "InAirTemp.mIC"
order = 2
priority = 15
level = "A-1M-1"
cast = 1
unit = "℃"
noise = 0.25
clamp = [-10, 50.5]
generator = { kind = "sine", min = 12, max = 28.5, period = 86400, phase = 3600 }
[[node.ccm]]
type = "WRainfall"
room = 0
generator = { kind = "playback", file = "rain.txt", loop = true }
[[node.ccm]]
type = "cnd"
generator = { kind = "constant", value = 1 }
[[event]]
at = 900
ccm = "InAirTemp.mIC"
value = 3
[[event]]
at = 600.5
ccm = "WRainfall"
generator = { kind = "ramp", to = 1, duration = 60, after = "repeat" }
)");
    const station::Scenario scenario = station::ReadScenario(path);
    EXPECT_EQ(scenario.seed, 42u);
    ASSERT_EQ(scenario.nodes.size(), 1u);
    const station::NodeSettings& node = scenario.nodes[0];
    EXPECT_EQ(node.address, "192.168.1.70");
    EXPECT_EQ(node.repeat, 3);
    EXPECT_EQ(node.repeatPlace, path + ":4:10");
    EXPECT_FALSE(node.condition);
    // Without its own, a node may send a "cnd" of the scenario's.
    ASSERT_EQ(node.ccms.size(), 3u);
    const station::CcmSettings& temp = node.ccms[0];
    EXPECT_EQ(temp.type, "InAirTemp.mIC");
    EXPECT_EQ(std::tie(temp.room, temp.region, temp.order, temp.priority, temp.cast),
              std::make_tuple(5, 6, 2, 15, 1));
    EXPECT_EQ(temp.level.interval, 60);
    EXPECT_TRUE(temp.level.onChange);
    EXPECT_EQ(temp.unit, "℃");
    EXPECT_EQ(temp.noise, 0.25);
    EXPECT_EQ(temp.clampMin, -10);
    EXPECT_EQ(temp.clampMax, 50.5);
    EXPECT_EQ(temp.generator.kind, station::GeneratorSettings::Kind::Sine);
    EXPECT_EQ(temp.generator.max, 28.5);
    EXPECT_EQ(temp.generator.phase, 3600);
    const station::CcmSettings& rain = node.ccms[1];
    EXPECT_EQ(std::tie(rain.room, rain.region, rain.order, rain.priority),
              std::make_tuple(0, 6, 1, 29));
    EXPECT_EQ(rain.level.interval, 10);
    ASSERT_EQ(rain.generator.rows.size(), 3u);
    EXPECT_EQ(rain.generator.rows[2].value, 1);
    EXPECT_TRUE(rain.generator.loop);
    ASSERT_EQ(scenario.events.size(), 2u);
    EXPECT_EQ(scenario.events[0].at, 600.5);
    EXPECT_TRUE(scenario.events[0].generator->repeat);
    EXPECT_EQ(scenario.events[1].value, 3);
}

// Only the dots of keys count towards a key's parts: not those in strings
// of any quoting, in comments, or in numbers.
TEST(GoodScenario, DotsOutsideKeysAreNoKeyParts)
{
    ScratchDir dir;
    dir.write("rows.txt", "1\n");
    std::string text = R"(# DOTS
[[node]]
[[node.ccm]]
type = "T"
generator = { kind = "playback", file = "PATH" }  # DOTS
[[node.ccm]]
type = "U"
generator = { kind = "playback", file = 'PATH' }
[[node.ccm]]
type = "V"
generator = { kind = "playback", file = """PATH""" }
[[node.ccm]]
type = "W"
generator = { kind = "sine", min = 1.5, max = 2.5, period = 6.0e1 }
)";
    for (const auto& [word, by] : {std::pair{"DOTS", Repeated(".", 100)},
                                   std::pair{"PATH", Repeated("./", 100) + "rows.txt"}})
        for (std::size_t at; (at = text.find(word)) != std::string::npos;)
            text.replace(at, 4, by);
    EXPECT_EQ(station::ReadScenario(dir.write("dots.toml", text)).nodes[0].ccms.size(), 4u);
}

TEST(GoodScenario, TheShippedExamplesRead)
{
    for (const char* name : {"weather-station.toml", "rain-shower.toml", "stormy-afternoon.toml"}) {
        const station::Scenario scenario =
            station::ReadScenario(std::string(SCENARIO_DIR) + "/" + name);
        EXPECT_FALSE(scenario.nodes.empty()) << name;
    }
}

} // namespace
