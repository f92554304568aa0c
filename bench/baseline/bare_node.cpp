// The headless node's bare baseline: what any program sending one datagram a
// second must do, and nothing more: sleep to an absolute deadline
// (clock_nanosleep), one sendto of a prebuilt datagram of a node's size, one
// write of a log line stamped with the local time (as the node's log is).
// Runs until killed; bench/run_all.sh measures its CPU
// time beside setarome-cli node's.
//   bare_node ADDRESS PORT

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s ADDRESS PORT\n", argv[0]);
        return 2;
    }
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(std::atoi(argv[2])));
    inet_pton(AF_INET, argv[1], &to.sin_addr);
    const std::string payload(180, 'x');
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    for (;;) {
        ++next.tv_sec;
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
        sendto(fd, payload.data(), payload.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        const time_t now = time(nullptr);
        tm local{};
        localtime_r(&now, &local);
        char line[64];
        const std::size_t length =
            strftime(line, sizeof line, "%Y/%m/%d %H:%M:%S 送信 0.0\n", &local);
        if (write(STDOUT_FILENO, line, length) < 0)
            return 1;
    }
}
