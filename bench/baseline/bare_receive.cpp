// The receivers' bare baseline: one recvmsg per datagram, with the kernel's
// receive time and drop count, blocking, and nothing done with the bytes.
// Counts datagrams until none has come for IDLE_MS after the first, then
// prints the count and the kernel's drops.
// bench/run_all.sh measures its CPU time per datagram beside the monitor's.
//   bare_receive PORT IDLE_MS

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PORT IDLE_MS\n", argv[0]);
        return 2;
    }
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    const int on = 1;
    const int buffer = 16 << 20;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &buffer, sizeof buffer);
    setsockopt(fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
    setsockopt(fd, SOL_SOCKET, SO_RXQ_OVFL, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(std::atoi(argv[1])));
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::perror("bind");
        return 1;
    }
    char bytes[2048];
    alignas(cmsghdr) char control[64];
    long count = 0;
    std::uint32_t drops = 0;
    const long idleMs = std::atol(argv[2]);
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
            break;
        for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c))
            if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SO_RXQ_OVFL)
                std::memcpy(&drops, CMSG_DATA(c), sizeof drops);
        if (++count == 1) {
            limit = timeval{idleMs / 1000, idleMs % 1000 * 1000};
            setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        }
    }
    std::printf("%ld %u\n", count, drops);
    return 0;
}
