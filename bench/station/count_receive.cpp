// Counts UDP datagrams on a port until none has come for IDLE_MS (after the
// first), then prints two counts: CCM messages (they start with "<") and
// others (the bare loop's). Reads as setarome-cli's receivers do: it empties
// the socket in batches, then sleeps a gathering interval before it looks
// again, with a buffer large enough for what comes meanwhile. A receiver
// that blocked on the socket after every batch would be woken by each
// datagram, and the kernel charges that wake-up to the sender: the figure
// of the senders' CPU would be the receiver's. Used by measure_station.sh
// and run_all.sh inside network namespaces they created.
//   count_receive PORT IDLE_MS

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PORT IDLE_MS\n", argv[0]);
        return 2;
    }
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    const int buffer = 64 << 20;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &buffer, sizeof buffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(std::atoi(argv[1])));
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::perror("bind");
        return 1;
    }
    constexpr int kBatch = 256;
    std::array<std::array<char, 2048>, kBatch> buffers{};
    std::array<iovec, kBatch> vectors{};
    std::array<mmsghdr, kBatch> messages{};
    for (int i = 0; i < kBatch; ++i) {
        vectors[i] = {buffers[i].data(), buffers[i].size()};
        messages[i].msg_hdr.msg_iov = &vectors[i];
        messages[i].msg_hdr.msg_iovlen = 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    long count = 0;
    long ccms = 0;
    const long idleMs = std::atol(argv[2]);
    // The first datagram may take long: the sender starts after us.
    pollfd waiting{fd, POLLIN, 0};
    if (poll(&waiting, 1, 600000) <= 0)
        return 1;
    constexpr long kGatherNs = 10'000'000;
    long idleNs = 0;
    while (idleNs < idleMs * 1'000'000) {
        int got = 0;
        bool any = false;
        while ((got = recvmmsg(fd, messages.data(), kBatch, MSG_DONTWAIT, nullptr)) > 0) {
            any = true;
            count += got;
            for (int i = 0; i < got; ++i)
                ccms += messages[i].msg_len > 0 && buffers[i][0] == '<';
        }
        idleNs = any ? 0 : idleNs + kGatherNs;
        const timespec gather{0, kGatherNs};
        nanosleep(&gather, nullptr);
    }
    std::printf("%ld %ld\n", ccms, count - ccms);
    return 0;
}
