// When CCMs go out: levels, the spread of 10-second and minute sends, sends
// on change, events, repeated nodes and the runner's deadlines.

#include "node/ManualTimerService.h"
#include "station/Runner.h"
#include "station/Station.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using Kind = station::GeneratorSettings::Kind;

struct Sent {
    std::int64_t tick;
    std::string ip;
    std::string type;
    std::string value;
    bool operator==(const Sent&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Sent& sent)
{
    return out << sent.tick << ' ' << sent.ip << ' ' << sent.type << '=' << sent.value;
}

station::CcmSettings Ccm(const std::string& type, const char* level, double value = 0)
{
    station::CcmSettings ccm;
    ccm.type = type;
    ccm.level = *station::ParseLevel(level);
    ccm.generator.value = value;
    return ccm;
}

station::NodeSettings Node(const std::string& address, std::vector<station::CcmSettings> ccms)
{
    station::NodeSettings node;
    node.address = address;
    node.condition = false;
    node.ccms = std::move(ccms);
    return node;
}

// One whole second of the station, every node in turn.
void RunSecond(station::Station& station, std::int64_t tick,
               const station::Station::SendFunction& send)
{
    station.beginSecond(tick);
    for (std::size_t index = 0; index < station.nodeCount(); ++index)
        station.runNode(index, send);
}

station::EventSettings Event(double at, const std::string& type)
{
    station::EventSettings event;
    event.at = at;
    event.type = type;
    return event;
}

std::vector<Sent> Sends(station::Scenario scenario, int seconds, double speed = 1)
{
    station::Station station(std::move(scenario), "10.0.0.9", speed);
    std::vector<Sent> sent;
    for (std::int64_t tick = 0; tick < seconds; ++tick) {
        RunSecond(station, tick, [&](const station::Outgoing& out) {
            sent.push_back({tick, out.ip, out.ccm.type, out.value});
        });
    }
    return sent;
}

std::vector<std::int64_t> TicksOf(const std::vector<Sent>& sent, const std::string& type)
{
    std::vector<std::int64_t> ticks;
    for (const Sent& s : sent) {
        if (s.type == type)
            ticks.push_back(s.tick);
    }
    return ticks;
}

TEST(Levels, EveryLevelTextAndNothingElse)
{
    const std::map<std::string, std::pair<int, bool>> levels{
        {"A-1S-0", {1, false}},  {"A-1S-1", {1, true}},   {"A-10S-0", {10, false}},
        {"A-10S-1", {10, true}}, {"A-1M-0", {60, false}}, {"A-1M-1", {60, true}},
        {"B-0", {0, true}},      {"B-1", {0, true}},      {"S-1S-0", {1, false}},
        {"S-1M-0", {60, false}}};
    for (const auto& [text, expected] : levels) {
        const auto level = station::ParseLevel(text);
        ASSERT_TRUE(level) << text;
        EXPECT_EQ(level->interval, expected.first) << text;
        EXPECT_EQ(level->onChange, expected.second) << text;
    }
    for (const char* bad : {"", "A-1S", "a-1s-0", "A-1S-0 ", "S-10S-0", "B-2"})
        EXPECT_FALSE(station::ParseLevel(bad)) << bad;
}

TEST(Schedule, TenSecondAndMinuteSendsAreSpreadByLastOctetAndIndex)
{
    station::Scenario scenario;
    scenario.nodes.push_back(
        Node("10.0.0.57", {Ccm("T0", "A-10S-0"), Ccm("T1", "A-10S-0"), Ccm("M2", "A-1M-0"),
                           Ccm("S3", "S-1M-0"), Ccm("E4", "A-1S-0")}));
    const std::vector<Sent> sent = Sends(scenario, 130);
    // 57 + 0 and 57 + 1 mod 10; 57 + 2 and 57 + 3 mod 60.
    EXPECT_EQ(TicksOf(sent, "T0"),
              (std::vector<std::int64_t>{7, 17, 27, 37, 47, 57, 67, 77, 87, 97, 107, 117, 127}));
    EXPECT_EQ(TicksOf(sent, "T1").front(), 8);
    EXPECT_EQ(TicksOf(sent, "M2"), (std::vector<std::int64_t>{59, 119}));
    EXPECT_EQ(TicksOf(sent, "S3"), (std::vector<std::int64_t>{0, 60, 120}));
    EXPECT_EQ(TicksOf(sent, "E4").size(), 130u);
}

TEST(Schedule, EveryNodeSendsItsConditionEachSecondUnlessTurnedOff)
{
    station::Scenario scenario;
    scenario.nodes.push_back(Node("10.0.0.1", {Ccm("T", "A-1M-0")}));
    scenario.nodes.back().condition = true;
    scenario.nodes.back().room = 4;
    scenario.nodes.push_back(Node("10.0.0.2", {Ccm("T", "A-1M-0")}));
    const std::vector<Sent> sent = Sends(scenario, 3);
    EXPECT_EQ(TicksOf(sent, "cnd"), (std::vector<std::int64_t>{0, 1, 2}));
    station::Station station(scenario, "", 1);
    RunSecond(station, 0, [](const station::Outgoing& out) {
        if (out.ccm.type == "cnd") {
            EXPECT_EQ(out.ip, "10.0.0.1");
            EXPECT_EQ(out.message, R"(<?xml version="1.0"?><UECS ver="1.00-E10"><DATA type="cnd" )"
                                   R"(room="4" region="1" order="1" priority="29">0</DATA>)"
                                   R"(<IP>10.0.0.1</IP></UECS>)");
        }
    });
}

TEST(Schedule, ChangesGoOutAtOnceOnlyWhereTheLevelSaysSo)
{
    station::Scenario scenario;
    scenario.nodes.push_back(
        Node("10.0.0.0", {Ccm("A0", "A-10S-0"), Ccm("A1", "A-10S-1"), Ccm("B0", "B-0")}));
    for (const char* type : {"A0", "A1", "B0"}) {
        scenario.events.push_back(Event(13, type));
        scenario.events.back().value = 1;
        // The same value again is no change.
        scenario.events.push_back(Event(15, type));
        scenario.events.back().value = 1;
    }
    std::stable_sort(scenario.events.begin(), scenario.events.end(),
                     [](const auto& a, const auto& b) { return a.at < b.at; });
    const std::vector<Sent> sent = Sends(scenario, 30);
    // A0 at 0, 10, 20 (index 0); A1 at 1, 11, 21 and at once at 13.
    EXPECT_EQ(TicksOf(sent, "A0"), (std::vector<std::int64_t>{0, 10, 20}));
    EXPECT_EQ(TicksOf(sent, "A1"), (std::vector<std::int64_t>{1, 11, 13, 21}));
    EXPECT_EQ(TicksOf(sent, "B0"), (std::vector<std::int64_t>{0, 13}));
    EXPECT_EQ(sent.back(), (Sent{21, "10.0.0.0", "A1", "1"}));
}

TEST(Schedule, EventsRunOnGeneratorTimeAndARampStartsFromTheValueThen)
{
    station::Scenario scenario;
    station::CcmSettings wind = Ccm("W", "A-1S-0", 2);
    wind.cast = 1;
    scenario.nodes.push_back(Node("10.0.0.0", {wind}));
    station::GeneratorSettings ramp;
    ramp.kind = Kind::Ramp;
    ramp.to = 12;
    ramp.duration = 300;
    scenario.events.push_back(Event(600, "W"));
    scenario.events.back().generator = ramp;
    // Ten seconds of generator time per second: the event at 600 s comes at
    // second 60, the ramp ends at second 90.
    const std::vector<Sent> sent = Sends(scenario, 100, 10);
    EXPECT_EQ(sent[59].value, "2.0");
    EXPECT_EQ(sent[60].value, "2.0");
    EXPECT_EQ(sent[75].value, "7.0");
    EXPECT_EQ(sent[90].value, "12.0");
    EXPECT_EQ(sent[99].value, "12.0");
}

TEST(Schedule, ARampFromNowStartsAtTheValueOfACcmNotSentYet)
{
    station::Scenario scenario;
    station::CcmSettings humid = Ccm("H", "A-10S-0", 62);
    humid.cast = 2;
    scenario.nodes.push_back(Node("10.0.0.5", {humid}));
    station::GeneratorSettings ramp;
    ramp.kind = Kind::Ramp;
    ramp.to = 95;
    ramp.duration = 100;
    scenario.events.push_back(Event(2, "H"));
    scenario.events.back().generator = ramp;
    const std::vector<Sent> sent = Sends(scenario, 6);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], (Sent{5, "10.0.0.5", "H", "62.99"}));
}

// Copies skip the addresses a /24 keeps for itself (.0) and its broadcast
// (.255).
TEST(Schedule, RepeatedNodesTakeTheNextHostAddresses)
{
    station::Scenario scenario;
    scenario.nodes.push_back(Node("10.0.0.253", {Ccm("T", "A-1S-0")}));
    scenario.nodes.back().repeat = 4;
    scenario.nodes.push_back(Node("auto", {Ccm("T", "A-1S-0")}));
    scenario.nodes.back().repeat = 2;
    scenario.nodes.push_back(Node("10.0.2.255", {Ccm("T", "A-1S-0")}));
    scenario.nodes.back().repeat = 2;
    scenario.nodes.push_back(Node("10.0.3.0", {Ccm("T", "A-1S-0")}));
    scenario.nodes.back().repeat = 2;
    std::vector<std::string> ips;
    for (const Sent& s : Sends(scenario, 1))
        ips.push_back(s.ip);
    EXPECT_EQ(ips, (std::vector<std::string>{"10.0.0.253", "10.0.0.254", "10.0.1.1", "10.0.1.2",
                                             "10.0.0.9", "10.0.0.10", "10.0.2.255", "10.0.3.1",
                                             "10.0.3.0", "10.0.3.1"}));
}

// "auto" is known only when the station starts: the error still names the
// scenario's place.
TEST(Schedule, RepeatPastTheLastAddressFromAutoNamesItsPlace)
{
    station::Scenario scenario;
    scenario.nodes.assign(1, Node("auto", {Ccm("T", "A-1S-0")}));
    scenario.nodes.back().repeat = 3;
    scenario.nodes.back().repeatPlace = "s.toml:3:10";
    try {
        station::Station(scenario, "255.255.255.253", 1);
        FAIL() << "accepted";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "s.toml:3:10: repeat runs the addresses past 255.255.255.254 "
                               "from 255.255.255.253");
    }
    EXPECT_NO_THROW(station::Station(scenario, "255.255.255.252", 1));
}

TEST(Schedule, NoiseIsBoundedAndTheSameForTheSameSeed)
{
    station::Scenario scenario;
    station::CcmSettings temp = Ccm("T", "A-1S-0", 20);
    temp.cast = 3;
    temp.noise = 0.5;
    temp.clampMax = 20.25;
    scenario.nodes.push_back(Node("10.0.0.0", {temp}));
    scenario.seed = 7;
    const std::vector<Sent> first = Sends(scenario, 400);
    EXPECT_EQ(Sends(scenario, 400), first);
    std::set<std::string> values;
    for (const Sent& s : first) {
        values.insert(s.value);
        EXPECT_GE(std::stod(s.value), 19.5);
        EXPECT_LE(std::stod(s.value), 20.25);
    }
    EXPECT_GT(values.size(), 100u);
    EXPECT_TRUE(values.contains("20.250"));
    scenario.seed = 8;
    EXPECT_NE(Sends(scenario, 400), first);
}

TEST(Runner, DeadlinesAreStartPlusWholeSecondsHoweverLateTheWakeUps)
{
    station::Scenario scenario;
    scenario.nodes.push_back(Node("10.0.0.0", {Ccm("T", "A-1S-0")}));
    station::Station station(std::move(scenario), "", 1);
    ManualTimerService timers;
    timers.lateness = std::chrono::milliseconds(300);
    const auto start = timers.current;
    std::vector<std::chrono::milliseconds> sentAt;
    std::optional<bool> finished;
    station::Runner runner(
        station, timers,
        [&](const station::Outgoing&) {
            sentAt.push_back(
                std::chrono::duration_cast<std::chrono::milliseconds>(timers.current - start));
        },
        5, [&](bool completed) { finished = completed; });
    runner.start();
    timers.advance(std::chrono::seconds(10));
    using std::chrono::milliseconds;
    EXPECT_EQ(sentAt,
              (std::vector<milliseconds>{milliseconds(0), milliseconds(1300), milliseconds(2300),
                                         milliseconds(3300), milliseconds(4300)}));
    EXPECT_EQ(finished, true);
    EXPECT_FALSE(timers.deadline);
}

TEST(Runner, NodesTakeEvenSharesOfEachSecond)
{
    station::Scenario scenario;
    for (const char* address : {"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4"})
        scenario.nodes.push_back(Node(address, {Ccm("T", "A-1S-0")}));
    station::Station station(std::move(scenario), "", 1);
    ManualTimerService timers;
    const auto start = timers.current;
    std::vector<std::string> sends;
    std::optional<station::Runner> runner;
    runner.emplace(
        station, timers,
        [&](const station::Outgoing& out) {
            const auto at =
                std::chrono::duration_cast<std::chrono::milliseconds>(timers.current - start);
            EXPECT_EQ(runner->deadline(), timers.current);
            sends.push_back(std::to_string(at.count()) + " " + out.ip);
        },
        2, [](bool) {});
    runner->start();
    timers.advance(std::chrono::seconds(3));
    EXPECT_EQ(sends, (std::vector<std::string>{"0 10.0.0.1", "250 10.0.0.2", "500 10.0.0.3",
                                               "750 10.0.0.4", "1000 10.0.0.1", "1250 10.0.0.2",
                                               "1500 10.0.0.3", "1750 10.0.0.4"}));
}

// Two nodes of a second CCM and a 10-second one, run by a runner that notes
// each send ("ms ip type", from the start) and each report of skipped turns.
struct StalledRun {
    station::Station station{TwoNodes(), "", 1};
    ManualTimerService timers;
    ManualTimerService::Clock::time_point start = timers.current;
    std::vector<std::string> sends;
    std::vector<std::pair<std::int64_t, std::chrono::milliseconds>> reports;
    station::Runner runner{station,
                           timers,
                           [this](const station::Outgoing& out) {
                               sends.push_back(std::to_string(sinceStart().count()) + " " + out.ip +
                                               " " + out.ccm.type);
                           },
                           0,
                           [](bool) {},
                           [this](std::int64_t sends, std::chrono::steady_clock::duration late) {
                               reports.emplace_back(
                                   sends,
                                   std::chrono::duration_cast<std::chrono::milliseconds>(late));
                           }};

    static station::Scenario TwoNodes()
    {
        station::Scenario scenario;
        for (const char* address : {"10.0.0.1", "10.0.0.2"})
            scenario.nodes.push_back(Node(address, {Ccm("T", "A-1S-0"), Ccm("U", "A-10S-0")}));
        return scenario;
    }
    std::chrono::milliseconds sinceStart() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(timers.current - start);
    }
};

TEST(Runner, WakeUpsLateByLessThanASecondSkipNothing)
{
    StalledRun run;
    run.timers.lateness = std::chrono::milliseconds(900);
    run.runner.start();
    run.timers.advance(std::chrono::milliseconds(2000));
    // The wake-up for 0.5 s comes at 1.4 s, the one for 1.5 s at 2.4 s.
    EXPECT_EQ(run.sends,
              (std::vector<std::string>{"0 10.0.0.1 T", "1400 10.0.0.2 T", "1400 10.0.0.1 T"}));
    EXPECT_TRUE(run.reports.empty());
    EXPECT_EQ(run.runner.skippedSends(), 0);
}

// After a one-minute stall each node sends once, at its turn in the second
// the wake-up came in, not the 120 turns it owed; the periodic sends of the
// skipped turns are counted and reported once for the wake-up.
TEST(Runner, AfterAStallEachNodeSendsAtItsNextTurnAndSkippedSendsAreCounted)
{
    StalledRun run;
    run.runner.start();
    run.timers.stall(std::chrono::seconds(60));
    run.timers.advance(std::chrono::milliseconds(1000));
    // Skipped: node .2's turns of seconds 0..58 and node .1's of 1..59, each
    // 59 sends of T and 6 of U (at seconds 3, 13, ... and 2, 12, ...).
    EXPECT_EQ(run.sends,
              (std::vector<std::string>{"0 10.0.0.1 T", "60000 10.0.0.2 T", "60000 10.0.0.1 T",
                                        "60500 10.0.0.2 T", "61000 10.0.0.1 T"}));
    EXPECT_EQ(run.reports, (std::vector<std::pair<std::int64_t, std::chrono::milliseconds>>{
                               {130, std::chrono::milliseconds(59500)}}));
    EXPECT_EQ(run.runner.skippedSends(), 130);
}

// A sender that gathers sends them at each wake-up's end: once per wake-up,
// after every node due by then, the late ones of a delayed wake-up included.
TEST(Runner, EachWakeUpEndsOnceAfterAllItsSends)
{
    StalledRun run;
    run.timers.lateness = std::chrono::milliseconds(900);
    run.runner.setWakeEnd(
        [&] { run.sends.push_back(std::to_string(run.sinceStart().count()) + " end"); });
    run.runner.start();
    run.timers.advance(std::chrono::milliseconds(2000));
    EXPECT_EQ(run.sends, (std::vector<std::string>{"0 10.0.0.1 T", "0 end", "1400 10.0.0.2 T",
                                                   "1400 10.0.0.1 T", "1400 end"}));
}

TEST(Runner, ASystemWithoutTimersEndsTheRun)
{
    station::Scenario scenario;
    scenario.nodes.push_back(Node("10.0.0.0", {Ccm("T", "A-1S-0")}));
    station::Station station(std::move(scenario), "", 1);
    ManualTimerService timers;
    timers.refuse = true;
    std::optional<bool> finished;
    station::Runner runner(
        station, timers, [](const station::Outgoing&) {}, 0,
        [&](bool completed) { finished = completed; });
    runner.start();
    EXPECT_EQ(finished, false);
}

} // namespace
