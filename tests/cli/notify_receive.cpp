// Stands in for systemd's notify socket: binds a datagram socket at PATH and
// prints each message received on a line of its own, until COUNT messages or
// TIMEOUT_MS milliseconds. It writes "bound" on standard error once the
// socket exists, so the caller knows when to start the program under test.

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PATH COUNT TIMEOUT_MS\n", argv[0]);
        return 2;
    }
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, argv[1], sizeof address.sun_path - 1);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::perror("notify_receive");
        return 1;
    }
    std::fprintf(stderr, "bound\n");
    const int count = std::atoi(argv[2]);
    char buffer[4096];
    for (int received = 0; received < count;) {
        pollfd waiting{fd, POLLIN, 0};
        if (poll(&waiting, 1, std::atoi(argv[3])) <= 0)
            break;
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n < 0)
            continue;
        std::printf("%.*s\n", static_cast<int>(n), buffer);
        std::fflush(stdout);
        ++received;
    }
    close(fd);
    return 0;
}
