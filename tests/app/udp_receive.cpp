// Receives UDP datagrams on a port and prints one line per datagram:
// the wall-clock time in milliseconds since the epoch, a tab, the payload's length, a tab, the
// payload. Stops after COUNT datagrams or TIMEOUT_MS milliseconds, whichever comes first. Used by
// the end-to-end test and the tick-period measurement, always inside a network namespace that the
// caller created.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
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
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::perror("udp_receive");
        return 1;
    }
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto end = start + std::chrono::milliseconds(timeoutMs);
    std::string buffer(70000, '\0');
    for (long received = 0; received < count;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0)
            break;
        pollfd waiting{fd, POLLIN, 0};
        if (poll(&waiting, 1, static_cast<int>(left.count())) <= 0)
            continue;
        const ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
        if (n < 0)
            continue;
        const auto at = std::chrono::duration<double, std::milli>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
        std::printf("%.3f\t%zd\t%.*s\n", at, n, static_cast<int>(n), buffer.data());
        std::fflush(stdout);
        ++received;
    }
    close(fd);
    return 0;
}
