// Tries to take a UDP port as another program might:
//   port_claim PORT UID
// binds 0.0.0.0:PORT with SO_REUSEADDR and SO_REUSEPORT as user UID (and
// its group of the same number) and prints "bound" or "in use". Run it in a
// network namespace the caller created; it sends and waits for nothing.

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PORT UID\n", argv[0]);
        return 2;
    }
    const auto port = static_cast<std::uint16_t>(std::atoi(argv[1]));
    const auto uid = static_cast<uid_t>(std::atol(argv[2]));
    if (setgid(static_cast<gid_t>(uid)) != 0 || setuid(uid) != 0) {
        std::perror("port_claim: setuid");
        return 1;
    }
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    if (fd < 0 || setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        setsockopt(fd, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on) != 0) {
        std::perror("port_claim");
        return 1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        std::puts("bound");
    } else if (errno == EADDRINUSE) {
        std::puts("in use");
    } else {
        std::perror("port_claim: bind");
        return 1;
    }
    close(fd);
    return 0;
}
