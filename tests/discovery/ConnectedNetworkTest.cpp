// Which requesters are on a network directly connected to the interface a
// request came in on.

#include "discovery/ConnectedNetwork.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using discovery::ConnectedNetwork;

constexpr std::uint32_t Ip(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d)
{
    return a << 24 | b << 16 | c << 8 | d;
}

// lo (1), eth0 (2) with two addresses, a tunnel (3) to 10.8.0.2.
const std::vector<ConnectedNetwork> kNetworks{
    {1, Ip(127, 0, 0, 1), Ip(255, 0, 0, 0), 0, true},
    {2, Ip(192, 168, 1, 20), Ip(255, 255, 255, 0), 0, false},
    {2, Ip(172, 16, 0, 1), Ip(255, 255, 0, 0), 0, false},
    {3, Ip(10, 8, 0, 1), Ip(255, 255, 255, 255), Ip(10, 8, 0, 2), false}};

struct Source {
    const char* name;
    int interfaceIndex;
    std::uint32_t address;
    bool connected;
};

std::ostream& operator<<(std::ostream& out, const Source& c)
{
    return out << c.name;
}

class ConnectedSource : public testing::TestWithParam<Source> {};

TEST_P(ConnectedSource, IsOnTheLinkOfTheArrivalInterfaceOnly)
{
    const Source& c = GetParam();
    EXPECT_EQ(discovery::IsOnConnectedNetwork(kNetworks, c.interfaceIndex, c.address), c.connected);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ConnectedSource,
    testing::Values(Source{"InThePrefix", 2, Ip(192, 168, 1, 77), true},
                    Source{"InTheSecondAddresssPrefix", 2, Ip(172, 16, 9, 9), true},
                    Source{"BeyondARouter", 2, Ip(192, 168, 2, 77), false},
                    Source{"OnAnotherInterfacesLink", 3, Ip(192, 168, 1, 77), false},
                    Source{"TheTunnelsFarEnd", 3, Ip(10, 8, 0, 2), true},
                    Source{"BeyondTheTunnel", 3, Ip(10, 8, 0, 3), false},
                    Source{"ThisHostOverLoopback", 1, Ip(192, 168, 1, 20), true},
                    Source{"UnknownInterface", 0, Ip(192, 168, 1, 77), false},
                    Source{"InterfaceWithoutAddress", 4, Ip(192, 168, 1, 77), false}),
    [](const testing::TestParamInfo<Source>& info) { return std::string(info.param.name); });

} // namespace
