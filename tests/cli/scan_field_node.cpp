// A stand-in for field nodes that a scan must list, answering NODESCAN and
// CCMSCAN on UDP 16529 for SECONDS (at most 60), then ending:
//   scan_field_node listed|bare|claims well-known|requester ADDRESS SECONDS
// ADDRESS is the node's own, the IP text of its NODE answer.
// "listed": one node of two CCMs, cnd that it sends and InAirTemp that it
// receives, the latter's level written A_10S_0. "bare": one node without
// CCMs, so it answers no CCMSCAN page. "claims": 2100 nodes (IP texts
// 10.99.x.y) whose page 1 claims 2147483647 pages; later pages go unanswered.
// "well-known" sends every answer to port 16529, whatever port asked, as many
// field nodes do; "requester" to the port that asked.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const std::string kHead = R"(<?xml version="1.0"?><UECS ver="1.00-E10">)";

std::string Node(const std::string& ip)
{
    return kHead +
           "<NODE><NAME>field</NAME><VENDER>ACME</VENDER><UECSID>10100C000002</UECSID><IP>" + ip +
           "</IP><MAC>02AABBCC0001</MAC></NODE></UECS>";
}

std::string Page(int page, const std::string& total, const std::string& ccm)
{
    return kHead + "<CCMNUM page=\"" + std::to_string(page) + "\" total=\"" + total +
           "\">1</CCMNUM><CCM No=\"1\" " + ccm + "</UECS>";
}

// The answers to `request` in `mode`, for a node whose address is `own`.
std::vector<std::string> Answers(const std::string& mode, const std::string& request,
                                 const std::string& own)
{
    if (request.find("<NODESCAN/>") != std::string::npos) {
        if (mode != "claims")
            return {Node(own)};
        std::vector<std::string> nodes;
        for (int n = 0; n < 2100; ++n)
            nodes.push_back(
                Node("10.99." + std::to_string(n / 250) + "." + std::to_string(n % 250 + 1)));
        return nodes;
    }
    const bool first = request.find("<CCMSCAN/>") != std::string::npos;
    const bool second = request.find("<CCMSCAN page=\"2\"/>") != std::string::npos;
    if (mode == "listed" && first)
        return {Page(
            1, "2",
            R"(room="1" region="1" order="1" priority="29" cast="0" unit="" SR="S" LV="A-1S-0">cnd</CCM>)")};
    if (mode == "listed" && second)
        return {Page(
            2, "2",
            R"(room="1" region="1" order="1" priority="15" cast="1" unit="C" SR="R" LV="A_10S_0">InAirTemp</CCM>)")};
    if (mode == "claims" && first)
        return {Page(
            1, "2147483647",
            R"(room="1" region="1" order="1" priority="29" cast="0" unit="" SR="S" LV="A-1S-0">cnd</CCM>)")};
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    const long seconds = argc == 5 ? std::atol(argv[4]) : 0;
    if (seconds < 1 || seconds > 60) {
        std::fprintf(stderr,
                     "usage: %s listed|bare|claims well-known|requester ADDRESS SECONDS(1..60)\n",
                     argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    const bool wellKnown = std::string(argv[2]) == "well-known";
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in own{};
    own.sin_family = AF_INET;
    own.sin_port = htons(16529);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&own), sizeof own) != 0) {
        std::perror("scan_field_node");
        return 1;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    std::string buffer(2048, '\0');
    while (std::chrono::steady_clock::now() < end) {
        pollfd waiting{fd, POLLIN, 0};
        if (poll(&waiting, 1, 100) <= 0)
            continue;
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t size = recvfrom(fd, buffer.data(), buffer.size(), 0,
                                      reinterpret_cast<sockaddr*>(&from), &length);
        if (size <= 0)
            continue;
        if (wellKnown)
            from.sin_port = htons(16529);
        for (const std::string& answer :
             Answers(mode, buffer.substr(0, static_cast<std::size_t>(size)), argv[3]))
            sendto(fd, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&from),
                   sizeof from);
    }
    close(fd);
    return 0;
}
