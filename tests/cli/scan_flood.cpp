// Floods a scan responder from one socket and counts what comes back:
//   scan_flood ADDRESS SECONDS RATE mixed|bad
// Every datagram goes to ADDRESS (a namespace peer that the caller created),
// RATE a second for SECONDS, both bounded. "mixed" cycles NODESCAN, SEARCH
// for cnd, a malformed and an oversized request; "bad" sends only the last
// two. Prints "sent N replies M".

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s ADDRESS SECONDS RATE mixed|bad\n", argv[0]);
        return 2;
    }
    const long seconds = std::atol(argv[2]);
    const long rate = std::atol(argv[3]);
    const bool mixed = std::string(argv[4]) == "mixed";
    if (seconds < 1 || seconds > 10 || rate < 1 || rate > 10000) {
        std::fprintf(stderr, "scan_flood: at most 10 s at 10000 a second\n");
        return 2;
    }
    const std::string head = R"(<?xml version="1.0"?><UECS ver="1.00-E10">)";
    struct Request {
        std::string text;
        std::uint16_t port;
    };
    std::vector<Request> requests{
        {head + "<NODESCAN>", 16529},
        {head + std::string(1100, ' ') + "<NODESCAN/></UECS>", 16529},
    };
    if (mixed) {
        requests.push_back({head + "<NODESCAN/></UECS>", 16529});
        requests.push_back(
            {head + R"(<SEARCH type="cnd" room="0" region="0" order="0"/></UECS>)", 16521});
    }
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    if (fd < 0 || inet_pton(AF_INET, argv[1], &to.sin_addr) != 1) {
        std::perror("scan_flood");
        return 1;
    }
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const long total = seconds * rate;
    long sent = 0;
    long replies = 0;
    std::string buffer(2048, '\0');
    const auto drain = [&](int waitMs) {
        pollfd waiting{fd, POLLIN, 0};
        while (poll(&waiting, 1, waitMs) > 0) {
            if (recv(fd, buffer.data(), buffer.size(), 0) > 0)
                ++replies;
        }
    };
    for (long i = 0; i < total; ++i) {
        std::this_thread::sleep_until(start + std::chrono::microseconds(i * 1000000 / rate));
        const Request& request = requests[static_cast<std::size_t>(i) % requests.size()];
        to.sin_port = htons(request.port);
        if (sendto(fd, request.text.data(), request.text.size(), 0,
                   reinterpret_cast<sockaddr*>(&to), sizeof to) >= 0)
            ++sent;
        drain(0);
    }
    // Replies still on their way.
    drain(300);
    close(fd);
    std::printf("sent %ld replies %ld\n", sent, replies);
    return 0;
}
