// Receives UDP datagrams on a port and prints one line per datagram: the
// kernel's receive time (SO_TIMESTAMPNS) in microseconds since the epoch, a
// tab, the payload's length, a tab, the payload. The kernel's time leaves the
// receiver's own scheduling out of the measured gaps. Stops after COUNT
// datagrams or TIMEOUT_MS milliseconds. Runs inside a network namespace the
// caller created.

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PORT COUNT TIMEOUT_MS\n", argv[0]);
        return 2;
    }
    const int port = std::atoi(argv[1]);
    const long count = std::atol(argv[2]);
    const long timeoutMs = std::atol(argv[3]);

    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (fd < 0 || setsockopt(fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on) != 0 ||
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::perror("replay_receive");
        return 1;
    }
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string buffer(70000, '\0');
    alignas(cmsghdr) char control[256];
    for (long received = 0; received < count;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0)
            break;
        pollfd waiting{fd, POLLIN, 0};
        if (poll(&waiting, 1, static_cast<int>(left.count())) <= 0)
            continue;
        iovec data{buffer.data(), buffer.size()};
        msghdr message{};
        message.msg_iov = &data;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t n = recvmsg(fd, &message, 0);
        if (n < 0)
            continue;
        long long micros = -1;
        for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
            if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
                timespec at{};
                std::memcpy(&at, CMSG_DATA(c), sizeof at);
                micros = static_cast<long long>(at.tv_sec) * 1000000 + at.tv_nsec / 1000;
            }
        }
        std::printf("%lld\t%zd\t%.*s\n", micros, n, static_cast<int>(n), buffer.data());
        std::fflush(stdout);
        ++received;
    }
    close(fd);
    return 0;
}
