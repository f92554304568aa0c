// What the monitor does with each datagram in user space, on one thread:
// decode, the key table, the line it prints when its output is not a
// terminal, and the JSON-lines capture; both written to /dev/null. The
// kernel's part (recvmmsg) is measured by measure_monitor.sh and run_all.sh.

#include "capture/CaptureWriter.h"
#include "monitor/LineView.h"
#include "monitor/Monitor.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Ten nodes' typical data messages, as a station sends them.
std::vector<std::string> Datagrams()
{
    std::vector<std::string> datagrams;
    for (int node = 1; node <= 10; ++node)
        datagrams.push_back(
            R"(<?xml version="1.0"?><UECS ver="1.00-E10"><DATA type="InAirTemp" room="1" )"
            R"(region=")" +
            std::to_string(node) + R"(" order="1" priority="15">23.)" + std::to_string(node % 10) +
            R"(</DATA><IP>10.100.0.)" + std::to_string(node) + "</IP></UECS>");
    return datagrams;
}

void run(benchmark::State& state, bool json, bool capture)
{
    std::FILE* out = std::fopen("/dev/null", "w");
    monitor::LineView view(out, json);
    capture::CaptureWriter writer({"/dev/null"});
    monitor::Monitor monitor(1000, {}, view, capture ? &writer : nullptr);
    const std::vector<std::string> datagrams = Datagrams();
    std::size_t next = 0;
    auto received = std::chrono::system_clock::now();
    auto arrived = monitor::Clock::now();
    for (auto _ : state) {
        received += std::chrono::microseconds(10);
        arrived += std::chrono::microseconds(10);
        monitor.take({datagrams[next], "10.100.0.1", 16520, 16520, received, arrived, ""});
        next = (next + 1) % datagrams.size();
    }
    state.SetItemsProcessed(state.iterations());
    std::fclose(out);
}

void BM_LineAndCapture(benchmark::State& state)
{
    run(state, false, true);
}
BENCHMARK(BM_LineAndCapture);

void BM_Line(benchmark::State& state)
{
    run(state, false, false);
}
BENCHMARK(BM_Line);

void BM_JsonLine(benchmark::State& state)
{
    run(state, true, false);
}
BENCHMARK(BM_JsonLine);

void BM_CaptureOnly(benchmark::State& state)
{
    // A key filter nothing matches: decoded and captured, never shown.
    std::FILE* out = std::fopen("/dev/null", "w");
    monitor::LineView view(out, false);
    capture::CaptureWriter writer({"/dev/null"});
    monitor::KeyFilter none;
    none.types = {"NoSuchType"};
    monitor::Monitor monitor(1000, none, view, &writer);
    const std::vector<std::string> datagrams = Datagrams();
    std::size_t next = 0;
    for (auto _ : state) {
        monitor.take({datagrams[next], "10.100.0.1", 16520, 16520,
                      std::chrono::system_clock::now(), monitor::Clock::now(), ""});
        next = (next + 1) % datagrams.size();
    }
    state.SetItemsProcessed(state.iterations());
    std::fclose(out);
}
BENCHMARK(BM_CaptureOnly);

} // namespace

BENCHMARK_MAIN();
