// A greenhouse controller stand-in for `setarome-cli test`: it hears the
// weather on UDP PORT and commands its actuators each second (and at once on
// a change) by unicast to REPLY_ADDRESS:16520, for at most SECONDS.
//   roof vents   VenRfWin.rcA room 1       0 while it rains, else 100
//   heater       Heater.rcA   room 1       1 below 5 °C, else 0
//   side vents   VenSdWin.rcA room 1 region 1 (east), 2 (west): 0 on the
//                windward side (wind above 8 m/s from 45..135° closes east,
//                225..315° west), else 100
// VARIANT: good; late (reacts to the weather of 6 s ago); none (sends
// nothing); wrong-room (commands room 2); flap (every other second sends the
// opposite of what it should once it has reacted).
//   controller_standin VARIANT PORT REPLY_ADDRESS SECONDS
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <optional>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

struct Weather {
    bool rain = false;
    double temperature = 20;
    double windSpeed = 0;
    double windDirection = 0;
};

std::optional<double> DataValue(const std::string& message, const std::string& type)
{
    const std::size_t at = message.find("type=\"" + type + "\"");
    if (at == std::string::npos)
        return std::nullopt;
    const std::size_t begin = message.find('>', at);
    const std::size_t end = message.find("</DATA>", at);
    if (begin == std::string::npos || end == std::string::npos || end < begin)
        return std::nullopt;
    return std::strtod(message.substr(begin + 1, end - begin - 1).c_str(), nullptr);
}

void Hear(const std::string& message, Weather& weather)
{
    if (const auto rain = DataValue(message, "WRainfall"))
        weather.rain = *rain != 0;
    if (const auto temperature = DataValue(message, "WAirTemp"))
        weather.temperature = *temperature;
    if (const auto speed = DataValue(message, "WWindSpeed"))
        weather.windSpeed = *speed;
    if (const auto direction = DataValue(message, "WWindDir"))
        weather.windDirection = *direction;
}

struct Command {
    const char* type;
    int region;
    int value;
    // What it commands with no weather to react to.
    int resting;
};

class Controller {
public:
    Controller(std::string variant, int socket, sockaddr_in reply)
        : variant_(std::move(variant)), socket_(socket), reply_(reply)
    {
    }

    void hear(const std::string& message, Clock::time_point now)
    {
        Weather weather = history_.empty() ? Weather{} : history_.back().second;
        Hear(message, weather);
        history_.emplace_back(now, weather);
    }

    void command(Clock::time_point now)
    {
        if (variant_ == "none")
            return;
        const Weather weather = seen(now);
        const bool east =
            weather.windSpeed > 8 && weather.windDirection >= 45 && weather.windDirection <= 135;
        const bool west =
            weather.windSpeed > 8 && weather.windDirection >= 225 && weather.windDirection <= 315;
        const Command commands[] = {{"VenRfWin.rcA", 1, weather.rain ? 0 : 100, 100},
                                    {"Heater.rcA", 1, weather.temperature < 5 ? 1 : 0, 0},
                                    {"VenSdWin.rcA", 1, east ? 0 : 100, 100},
                                    {"VenSdWin.rcA", 2, west ? 0 : 100, 100}};
        ++ticks_;
        for (const Command& command : commands)
            send(command);
    }

private:
    // The weather it acts on: the latest, or for "late" that of 6 s ago.
    Weather seen(Clock::time_point now) const
    {
        const auto lag = variant_ == "late" ? std::chrono::seconds(6) : std::chrono::seconds(0);
        Weather weather;
        for (const auto& [when, heard] : history_)
            if (when <= now - lag)
                weather = heard;
        return weather;
    }

    void send(const Command& command) const
    {
        int value = command.value;
        if (variant_ == "flap" && value != command.resting && ticks_ % 2 == 0)
            value = command.resting;
        const int room = variant_ == "wrong-room" ? 2 : 1;
        char text[300];
        const int length = std::snprintf(
            text, sizeof text,
            "<?xml version=\"1.0\"?><UECS ver=\"1.00-E10\"><DATA type=\"%s\" room=\"%d\" "
            "region=\"%d\" order=\"1\" priority=\"10\">%d</DATA><IP>%s</IP></UECS>",
            command.type, room, command.region, value, "10.0.0.9");
        ::sendto(socket_, text, static_cast<std::size_t>(length), 0,
                 reinterpret_cast<const sockaddr*>(&reply_), sizeof reply_);
    }

    std::string variant_;
    int socket_;
    sockaddr_in reply_;
    std::deque<std::pair<Clock::time_point, Weather>> history_;
    long ticks_ = 0;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: controller_standin VARIANT PORT REPLY_ADDRESS SECONDS\n");
        return 2;
    }
    const int socket = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<std::uint16_t>(std::atoi(argv[2])));
    sockaddr_in reply{};
    reply.sin_family = AF_INET;
    reply.sin_port = htons(16520);
    if (socket < 0 || ::inet_pton(AF_INET, argv[3], &reply.sin_addr) != 1 ||
        ::bind(socket, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        std::perror("controller_standin");
        return 1;
    }
    Controller controller(argv[1], socket, reply);
    const auto end = Clock::now() + std::chrono::seconds(std::atoi(argv[4]));
    auto next = Clock::now();
    std::printf("listening\n");
    std::fflush(stdout);
    while (Clock::now() < end) {
        const auto now = Clock::now();
        if (now >= next) {
            controller.command(now);
            next = now + std::chrono::seconds(1);
        }
        pollfd wait{socket, POLLIN, 0};
        const auto timeout = std::chrono::duration_cast<std::chrono::milliseconds>(next - now);
        if (::poll(&wait, 1, static_cast<int>(timeout.count()) + 1) <= 0)
            continue;
        char buffer[2048];
        const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
        if (got <= 0)
            continue;
        controller.hear(std::string(buffer, static_cast<std::size_t>(got)), Clock::now());
        // A change is answered at once, as a controller's rule fires.
        controller.command(Clock::now());
    }
    return 0;
}
