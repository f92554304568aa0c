#include "SampleRuns.h"

#include <algorithm>
#include <chrono>

namespace reporttest {

using namespace report;

namespace {

// The rain: dry, then raining from 30 s, sent every 10 s.
Series Rain(double end)
{
    Series rain{"WRainfall.mIC room 1 region 1 order 1", true, {}, ""};
    for (double t = 0; t <= end; t += 10)
        rain.points.push_back({t, t >= 30 ? 1.0 : 0.0});
    return rain;
}

// The vent's state each second: open until `closeAt`, then closing at 2 %/s,
// and opening to `reopenTo` at `reopenAt` (never when reopenAt is 0).
Series Vent(double end, double closeAt, double reopenAt, double reopenTo)
{
    Series vent{"VenRfWin.opr room 1 region 1 order 1", false, {}, "%"};
    for (double t = 0; t <= end; t += 1) {
        double value = t < closeAt ? 100 : std::max(0.0, 100 - 2 * (t - closeAt));
        if (reopenAt > 0 && t >= reopenAt)
            value = reopenTo;
        vent.points.push_back({t, value});
    }
    return vent;
}

ExpectationResult VentsClose(int line)
{
    ExpectationResult expectation;
    expectation.name = "vents close when it rains";
    expectation.condition = "value = 0";
    expectation.mode = "within";
    expectation.afterSeconds = 30;
    expectation.withinEndSeconds = 90;
    expectation.line = line;
    return expectation;
}

ScenarioResult Scenario(double duration)
{
    ScenarioResult scenario;
    scenario.file = "share/scenarios/tests/vents-close-on-rain.toml";
    scenario.name = "vents close on rain";
    scenario.started = std::chrono::system_clock::time_point(std::chrono::seconds(1796808600));
    scenario.durationSeconds = duration;
    return scenario;
}

} // namespace

std::string VentDatagram(int value)
{
    return "<?xml version=\"1.0\"?><UECS ver=\"1.00-E10\"><DATA type=\"VenRfWin.opr\" "
           "room=\"1\" region=\"1\" order=\"1\" priority=\"29\">" +
           std::to_string(value) + "</DATA><IP>10.1.0.2</IP></UECS>";
}

ScenarioResult PassingRun()
{
    ScenarioResult scenario = Scenario(106);
    ExpectationResult expectation = VentsClose(12);
    expectation.outcome = Outcome::Pass;
    expectation.holdsStartSeconds = 86;
    expectation.holdsEndSeconds = 106;
    expectation.decidedSeconds = 106;
    expectation.evidence = {86, "10.1.0.2:16520", VentDatagram(0), true, ""};
    expectation.series = {Vent(106, 36, 0, 0), Rain(106)};
    scenario.expectations.push_back(expectation);
    return scenario;
}

ScenarioResult FailingRun()
{
    ScenarioResult scenario = Scenario(300);
    ExpectationResult flap = VentsClose(12);
    flap.outcome = Outcome::Fail;
    flap.holdsStartSeconds = 80;
    flap.holdsEndSeconds = 92;
    flap.decidedSeconds = 92;
    flap.evidence = {92, "10.1.0.2:16520", VentDatagram(30), true, ""};
    flap.series = {Vent(120, 30, 92, 30), Rain(120)};

    ExpectationResult heater;
    heater.name = "暖房機が夜に動く";
    heater.condition = "value = 1";
    heater.mode = "within";
    heater.afterSeconds = 60;
    heater.withinEndSeconds = 120;
    heater.holdsStartSeconds = 75;
    heater.decidedSeconds = 300;
    heater.evidence = {300, "", "the run ended 225.000 s into holds = 600", false, ""};
    heater.series = {{"HeaterCmd room 1 region 1 order 1", false, {{0, 0}, {75, 1}}, ""},
                     {"WAirTemp room 1 region 1 order 1", true, {{0, 12.5}, {60, 4.5}}, "C"}};
    heater.line = 20;

    ExpectationResult wind = VentsClose(28);
    wind.name = "wind closes the windward vents";
    wind.outcome = Outcome::Fail;
    wind.decidedSeconds = 90;
    wind.evidence = {90, "", "nothing matching arrived", false, ""};
    wind.series = {{"VenRfWin.opr room 2 region 1 order 1", false, {}, "%"}, Rain(300)};

    scenario.expectations = {flap, heater, wind};
    return scenario;
}

ScenarioResult HugeRun(std::size_t points)
{
    ScenarioResult scenario = Scenario(static_cast<double>(points) / 100);
    ExpectationResult expectation = VentsClose(12);
    expectation.mode = "always";
    expectation.outcome = Outcome::Pass;
    expectation.decidedSeconds = scenario.durationSeconds;
    Series vent{"VenRfWin.opr room 1 region 1 order 1", false, {}, "%"};
    vent.points.reserve(points);
    for (std::size_t i = 0; i < points; ++i)
        vent.points.push_back({static_cast<double>(i) / 100, static_cast<double>(i % 101)});
    expectation.series = {vent, Rain(scenario.durationSeconds)};
    scenario.expectations.push_back(expectation);
    return scenario;
}

ScenarioResult HostileRun()
{
    ScenarioResult scenario = Scenario(60);
    scenario.name = kHostile;
    scenario.file = kHostile + ".toml";
    ExpectationResult expectation = VentsClose(3);
    expectation.name = kHostile;
    expectation.condition = kHostile;
    expectation.outcome = Outcome::Fail;
    expectation.decidedSeconds = 40;
    expectation.evidence = {40, kHostile, kHostile, true, ""};
    expectation.series = {{kHostile, false, {{0, 1}, {40, 2}}, kHostile},
                          {kHostile, true, {{0, 0}}, ""}};
    scenario.expectations.push_back(expectation);
    return scenario;
}

} // namespace reporttest
