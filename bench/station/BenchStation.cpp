// Sends a station's datagrams for real, as setarome-cli station does (the
// same schedule, message, encoder, UDP client and batches), and reports how late each
// send was against its deadline and the CPU time per datagram; then sends as
// many prebuilt datagrams of the same size in a bare sendto loop and reports
// its CPU time per datagram, unpaced and paced as the station. Run inside a network namespace: see
// measure_station.sh.
//   bench_station ADDRESS PORT SECONDS NODES CCMS_PER_NODE

#include "ccm/Cp932Encoder.h"
#include "loop/DestinationSender.h"
#include "loop/PreciseTimerService.h"
#include "station/Runner.h"
#include "station/Station.h"
#include "transport/TIdUDPClient.h"

#include <QCoreApplication>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

station::Scenario LoadScenario(int nodes, int ccms)
{
    station::NodeSettings node;
    node.address = "10.100.0.1";
    node.repeat = nodes;
    for (int index = 0; index < ccms; ++index) {
        station::CcmSettings ccm;
        ccm.type = "InAirTemp" + std::to_string(index);
        ccm.level = *station::ParseLevel("A-1S-0");
        ccm.cast = 1;
        ccm.noise = 0.5;
        ccm.generator.kind = station::GeneratorSettings::Kind::Sine;
        ccm.generator.min = 12;
        ccm.generator.max = 28;
        node.ccms.push_back(ccm);
    }
    station::Scenario scenario;
    scenario.seed = 1;
    scenario.nodes.push_back(node);
    return scenario;
}

double Percentile(std::vector<float>& values, double fraction)
{
    const auto at = values.begin() + static_cast<std::ptrdiff_t>(fraction * (values.size() - 1));
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

// The bare loop: one prebuilt datagram, sendto as fast as it goes, or paced
// as the station paces its sends (`perMs` datagrams each millisecond, from
// absolute deadlines), to tell what sending at a pace costs from what the
// station adds.
double BareCpuPerDatagram(const std::string& address, int port, std::size_t bytes, long count,
                          long perMs)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, address.c_str(), &to.sin_addr);
    const std::string payload(bytes, 'x');
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    const double cpu0 = CpuSeconds();
    for (long i = 0; i < count; ++i) {
        if (perMs > 0 && i % perMs == 0) {
            next.tv_nsec += 1000000;
            if (next.tv_nsec >= 1000000000) {
                next.tv_nsec -= 1000000000;
                ++next.tv_sec;
            }
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
        }
        sendto(fd, payload.data(), payload.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    const double cpu = CpuSeconds() - cpu0;
    close(fd);
    return cpu / static_cast<double>(count);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s ADDRESS PORT SECONDS NODES CCMS_PER_NODE\n", argv[0]);
        return 2;
    }
    const std::string address = argv[1];
    const int port = std::atoi(argv[2]);
    const int seconds = std::atoi(argv[3]);
    const int nodes = std::atoi(argv[4]);
    const int ccms = std::atoi(argv[5]);
    setenv("QT_NO_GLIB", "1", 0);
    QCoreApplication application(argc, argv);

    station::Station station(LoadScenario(nodes, ccms), "", 1);
    transport::TIdUDPClient client;
    loop::DestinationSender sender(client, address, static_cast<std::uint16_t>(port));
    ccm::Cp932Encoder encoder;
    std::string wire;
    std::vector<float> lateMs;
    lateMs.reserve(static_cast<std::size_t>(seconds) * nodes * (ccms + 1));
    long failed = 0;
    std::size_t bytes = 0;
    loop::PreciseTimerService timers;
    station::Runner* running = nullptr;
    // Each queued datagram's deadline, until its batch has gone out.
    std::vector<station::Runner::Clock::time_point> due;
    station::Runner runner(
        station, timers,
        [&](const station::Outgoing& out) {
            encoder.encode(out.message, wire);
            sender.Queue(wire);
            due.push_back(running->deadline());
            bytes = wire.size();
        },
        seconds, [](bool) { QCoreApplication::exit(0); });
    // As setarome-cli station sends: what one wake-up made, in one batch.
    runner.setWakeEnd([&] {
        sender.SendQueued(
            [&](std::size_t, const std::exception* error) { failed += error != nullptr; });
        const auto now = timers.now();
        for (const auto deadline : due)
            lateMs.push_back(std::chrono::duration<float, std::milli>(now - deadline).count());
        due.clear();
    });
    running = &runner;
    const double cpu0 = CpuSeconds();
    runner.start();
    QCoreApplication::exec();
    const double cpu = CpuSeconds() - cpu0;
    const long sent = static_cast<long>(lateMs.size());
    const double stationPer = cpu / static_cast<double>(sent);
    const double median = Percentile(lateMs, 0.5);
    const double p99 = Percentile(lateMs, 0.99);
    const double worst = *std::max_element(lateMs.begin(), lateMs.end());
    // To the same receiver: waking it is part of the cost of a send.
    const double barePer = BareCpuPerDatagram(address, port, bytes, sent, 0);
    const long perMs = std::max<long>(sent / seconds / 1000, 1);
    const double pacedPer = BareCpuPerDatagram(address, port, bytes, sent, perMs);
    std::printf("station: %ld datagrams in %d s (%.0f/s), %ld failed\n", sent, seconds,
                static_cast<double>(sent) / seconds, failed);
    std::printf("lateness: median %.3f ms, 99th percentile %.3f ms, largest %.3f ms\n", median, p99,
                worst);
    std::printf("bare: %ld datagrams, twice\n", sent);
    std::printf("CPU per datagram: station %.2f us, bare sendto %.2f us, ratio %.2f\n",
                stationPer * 1e6, barePer * 1e6, stationPer / barePer);
    std::printf("CPU per datagram: bare sendto paced %ld a millisecond %.2f us, ratio %.2f\n",
                perMs, pacedPer * 1e6, stationPer / pacedPer);
    return 0;
}
