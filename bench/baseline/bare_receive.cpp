// The receivers' bare baselines, with the kernel's receive time and drop
// count and nothing done with the bytes:
// - naive (BATCH 1, the default): one blocking recvmsg per datagram;
// - batched (BATCH > 1): what setarome-cli's receivers ask of the kernel,
//   and nothing more: recvmmsg BATCH at a time with the same receive time,
//   drop count and arrival interface, the socket emptied, then a 10 ms
//   gathering sleep. Its CPU time per datagram is this machine's floor for
//   any receiver on a UDP socket.
// Counts datagrams until none has come for IDLE_MS after the first, then
// prints the count and the kernel's drops.
// bench/run_all.sh measures its CPU time per datagram beside the monitor's.
//   bare_receive PORT IDLE_MS [BATCH]

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kControlBytes =
    CMSG_SPACE(sizeof(timespec)) + CMSG_SPACE(sizeof(std::uint32_t)) + CMSG_SPACE(sizeof(in_pktinfo));

void ReadDrops(msghdr& message, std::uint32_t& drops)
{
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c))
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SO_RXQ_OVFL)
            std::memcpy(&drops, CMSG_DATA(c), sizeof drops);
}

long Naive(int fd, long idleMs, std::uint32_t& drops)
{
    char bytes[2048];
    alignas(cmsghdr) char control[kControlBytes];
    long count = 0;
    // The first datagram may take long: the sender starts after us.
    timeval limit{600, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    for (;;) {
        iovec data{bytes, sizeof bytes};
        msghdr message{};
        message.msg_iov = &data;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        if (recvmsg(fd, &message, 0) < 0)
            return count;
        ReadDrops(message, drops);
        if (++count == 1) {
            limit = timeval{idleMs / 1000, idleMs % 1000 * 1000};
            setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        }
    }
}

long Batched(int fd, long idleMs, unsigned batch, std::uint32_t& drops)
{
    struct Slot {
        char bytes[2048];
        sockaddr_in from;
        iovec data;
        alignas(cmsghdr) char control[kControlBytes];
    };
    std::vector<Slot> slots(batch);
    std::vector<mmsghdr> messages(batch);
    pollfd waiting{fd, POLLIN, 0};
    if (poll(&waiting, 1, 600000) <= 0)
        return 0;
    constexpr long kGatherNs = 10'000'000;
    long count = 0;
    long idleNs = 0;
    while (idleNs < idleMs * 1'000'000) {
        bool any = false;
        for (;;) {
            for (unsigned i = 0; i < batch; ++i) {
                Slot& slot = slots[i];
                slot.data = iovec{slot.bytes, sizeof slot.bytes};
                msghdr& message = messages[i].msg_hdr;
                message = msghdr{};
                message.msg_name = &slot.from;
                message.msg_namelen = sizeof slot.from;
                message.msg_iov = &slot.data;
                message.msg_iovlen = 1;
                message.msg_control = slot.control;
                message.msg_controllen = sizeof slot.control;
            }
            const int got = recvmmsg(fd, messages.data(), batch, MSG_DONTWAIT | MSG_TRUNC, nullptr);
            if (got <= 0)
                break;
            any = true;
            count += got;
            for (int i = 0; i < got; ++i)
                ReadDrops(messages[i].msg_hdr, drops);
        }
        idleNs = any ? 0 : idleNs + kGatherNs;
        const timespec gather{0, kGatherNs};
        nanosleep(&gather, nullptr);
    }
    return count;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s PORT IDLE_MS [BATCH]\n", argv[0]);
        return 2;
    }
    const long idleMs = std::atol(argv[2]);
    const long batch = argc == 4 ? std::atol(argv[3]) : 1;
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    const int on = 1;
    const int buffer = 16 << 20;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &buffer, sizeof buffer);
    setsockopt(fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
    setsockopt(fd, SOL_SOCKET, SO_RXQ_OVFL, &on, sizeof on);
    if (batch > 1)
        setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(std::atoi(argv[1])));
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::perror("bind");
        return 1;
    }
    std::uint32_t drops = 0;
    const long count = batch > 1 ? Batched(fd, idleMs, static_cast<unsigned>(batch), drops)
                                 : Naive(fd, idleMs, drops);
    std::printf("%ld %u\n", count, drops);
    return 0;
}
