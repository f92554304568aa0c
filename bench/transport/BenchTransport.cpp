// The cost of one broadcast through the datagram client against the same
// three system calls made directly. Both send inside a network namespace the
// program creates, to its veth peer; nothing reaches this machine's network.
#include "support/NetNamespace.h"
#include "transport/TIdUDPClient.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::uint16_t kPort = 16520;
// The node's message with the panel's default settings.
const std::string kMessage =
    "<?xml version=\"1.0\"?><UECS ver=\"1.00-E10\"><DATA type=\"WRainfall\" room=\"1\" "
    "region=\"1\" order=\"1\" priority=\"29\">0</DATA><IP>192.168.1.1</IP></UECS>";
// Bounds the datagrams each run sends.
constexpr benchmark::IterationCount kSendsPerRun = 20000;
constexpr int kRuns = 9;

void BM_SendBroadcast(benchmark::State& state)
{
    transport::TIdUDPClient client;
    client.SendBroadcast(kMessage, kPort); // the socket opens outside the timing
    for (auto _ : state) {
        client.SendBroadcast(kMessage, kPort);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kMessage.size()));
}

void BM_RawBroadcast(benchmark::State& state)
{
    const int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(kPort);
    to.sin_addr.s_addr = htonl(INADDR_BROADCAST);
    const int on = -1;
    const int off = 0;
    for (auto _ : state) {
        setsockopt(s, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
        const ssize_t sent = sendto(s, kMessage.data(), kMessage.size(), 0,
                                    reinterpret_cast<const sockaddr*>(&to), sizeof to);
        setsockopt(s, SOL_SOCKET, SO_BROADCAST, &off, sizeof off);
        if (sent != static_cast<ssize_t>(kMessage.size())) {
            state.SkipWithError("sendto failed");
            break;
        }
    }
    close(s);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kMessage.size()));
}

BENCHMARK(BM_SendBroadcast)->Iterations(kSendsPerRun)->Repetitions(kRuns);
BENCHMARK(BM_RawBroadcast)->Iterations(kSendsPerRun)->Repetitions(kRuns);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    testsupport::NetNamespace ns;
    if (!ns.Ready()) {
        std::printf("skipped: %s\n", ns.SkipReason().c_str());
        return 0;
    }
    ns.RunInSender([] { benchmark::RunSpecifiedBenchmarks(); });
    benchmark::Shutdown();
    return 0;
}
