// One whole transmission tick per iteration, for each of the five sources,
// against the in-memory panel and a sender that discards the datagram.
// Besides the time, it reports how much the heap in use and the resident set
// grew over the run, to show that ticks leave nothing behind.

#include "node/MemoryPanel.h"
#include "node/NodeState.h"
#include "node/Sender.h"
#include "node/SystemLogClock.h"
#include "node/TransmissionTick.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <malloc.h>
#include <string>
#include <unistd.h>

namespace {

class DiscardingSender : public node::Sender {
public:
    void Send(const std::string& payload, std::uint16_t) override
    {
        benchmark::DoNotOptimize(payload.data());
    }
};

long residentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 10, '\n');
    }
    return 0;
}

// A small playback file for the file source (played in a loop), removed
// when the program ends.
class PlaybackFixture {
public:
    PlaybackFixture() { std::ofstream(path) << "1\r\n0\r\n+1 rain\n-2\n"; }
    ~PlaybackFixture() { std::remove(path.c_str()); }
    const std::string path = "/tmp/rainnode-bench-" + std::to_string(::getpid()) + ".txt";
};

const PlaybackFixture g_playback;

constexpr std::array kModes{node::Control::RadioFix, node::Control::RadioSin,
                            node::Control::RadioRnd, node::Control::RadioRnd2,
                            node::Control::RadioFile};

void BM_Tick(benchmark::State& bench)
{
    MemoryPanel panel;
    panel.checkMode(kModes.at(static_cast<std::size_t>(bench.range(0))));
    panel.checked.insert(node::Control::CheckLoop);
    panel.texts[node::Control::EditFile] = g_playback.path;
    DiscardingSender sender;
    node::SystemLogClock clock;
    node::NodeState state;
    node::TransmissionTick tick(state, panel, sender, clock, [] { std::abort(); });
    for (int i = 0; i < 100; ++i)
        tick.run(); // warm up: buffers, the open file, a full log

    const long rssBefore = residentKiB();
    const std::size_t heapBefore = ::mallinfo2().uordblks;
    for (auto _ : bench)
        tick.run();
    bench.counters["heap_growth_bytes"] =
        static_cast<double>(::mallinfo2().uordblks) - static_cast<double>(heapBefore);
    bench.counters["rss_growth_KiB"] = static_cast<double>(residentKiB() - rssBefore);
}

BENCHMARK(BM_Tick)->ArgName("source")->DenseRange(0, 4);
BENCHMARK(BM_Tick)->Name("BM_Tick_Million")->Arg(0)->Iterations(1000000);

} // namespace

BENCHMARK_MAIN();
