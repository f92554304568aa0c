#include "node/GetLocalAddress.h"

#include "node/LocalAddressPlatformPosix.h"
#include "support/NetNamespace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <cstdio>
#include <cstring>
#include <functional>
#include <netdb.h>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

using testsupport::NetNamespace;

namespace {

std::uint32_t Ip(const char* text)
{
    in_addr value{};
    inet_pton(AF_INET, text, &value);
    return value.s_addr;
}

// Plays the platform's part from a script and records every call. By default
// the host name resolves to Debian's loopback alias, broadcasts leave from
// 192.168.1.20 and one other interface has a carrier.
class ScriptedPlatform : public node::LocalAddressPlatform {
public:
    std::vector<std::string> calls;
    std::vector<std::string> lines;
    int startupResult = 0;
    int hostNameResult = 0;
    std::string hostName = "greenhouse-pc";
    bool resolves = true;
    std::vector<std::uint32_t> addresses{Ip("127.0.1.1")};
    std::uint32_t routeSource = Ip("192.168.1.20");
    std::vector<std::uint32_t> interfaces{Ip("10.0.0.3")};
    // The call that throws, if any.
    std::string throwIn;

    int startup() override
    {
        record("startup");
        return startupResult;
    }
    int gethostname(char* name, std::size_t length) override
    {
        record("gethostname");
        // A name too long for the buffer arrives without its terminator.
        std::memcpy(name, hostName.c_str(), std::min(length, hostName.size() + 1));
        return hostNameResult;
    }
    void writeLine(const char* text) override
    {
        record("writeLine");
        lines.push_back(text);
    }
    const hostent* gethostbyname(const char*) override
    {
        record("gethostbyname");
        if (!resolves)
            return nullptr;
        items_.clear();
        for (std::uint32_t& address : addresses)
            items_.push_back(reinterpret_cast<char*>(&address));
        items_.push_back(nullptr);
        entry_.h_addr_list = items_.data();
        return &entry_;
    }
    const char* inet_ntoa(std::uint32_t address) override
    {
        record("inet_ntoa");
        // One buffer for every call, as the platform has.
        in_addr value{};
        value.s_addr = address;
        std::snprintf(text_.data(), text_.size(), "%s", ::inet_ntoa(value));
        return text_.data();
    }
    std::uint32_t broadcastSourceAddress() override
    {
        record("broadcastSourceAddress");
        return routeSource;
    }
    std::vector<std::uint32_t> interfaceAddresses() override
    {
        record("interfaceAddresses");
        return interfaces;
    }
    void cleanup() override { record("cleanup"); }

    long count(const std::string& call) const
    {
        return std::count(calls.begin(), calls.end(), call);
    }

private:
    void record(const std::string& call)
    {
        calls.push_back(call);
        if (call == throwIn)
            throw std::runtime_error("scripted failure in " + call);
    }

    hostent entry_{};
    std::vector<char*> items_;
    std::array<char, 32> text_{};
};

struct Path {
    const char* name;
    std::function<void(ScriptedPlatform&)> script;
    std::string result;
    long cleanups;
    long hostLines;
};

class GetLocalAddressPaths : public ::testing::TestWithParam<Path> {};

TEST_P(GetLocalAddressPaths, GivesTheTextAndReleasesTheServiceOnce)
{
    ScriptedPlatform platform;
    GetParam().script(platform);
    EXPECT_EQ(node::GetLocalAddress(platform), GetParam().result);
    EXPECT_EQ(platform.count("cleanup"), GetParam().cleanups);
    EXPECT_EQ(platform.count("writeLine"), GetParam().hostLines);
}

auto Throw(const char* call)
{
    return [call](ScriptedPlatform& p) { p.throwIn = call; };
}

INSTANTIATE_TEST_SUITE_P(
    Paths, GetLocalAddressPaths,
    ::testing::Values(
        Path{"StartupFails", [](ScriptedPlatform& p) { p.startupResult = 10091; }, "127.0.0.1", 0,
             0},
        Path{"HostNameFails", [](ScriptedPlatform& p) { p.hostNameResult = -1; }, "192.168.1.20", 1,
             0},
        Path{"NameUnresolved", [](ScriptedPlatform& p) { p.resolves = false; }, "192.168.1.20", 1,
             1},
        Path{"EmptyAddressList", [](ScriptedPlatform& p) { p.addresses.clear(); }, "192.168.1.20",
             1, 1},
        Path{"FirstOfSeveralEvenOffTheRoute",
             [](ScriptedPlatform& p) {
                 p.addresses = {Ip("192.168.0.5"), Ip("10.0.0.1")};
             },
             "192.168.0.5", 1, 1},
        Path{"LoopbackAnswerGivesWayToTheRoute", [](ScriptedPlatform&) {}, "192.168.1.20", 1, 1},
        Path{"AnyAddressAnswerGivesWayToTheRoute",
             [](ScriptedPlatform& p) { p.addresses = {Ip("0.0.0.0")}; }, "192.168.1.20", 1, 1},
        Path{"NoRouteTakesTheFirstInterface",
             [](ScriptedPlatform& p) {
                 p.routeSource = 0;
                 p.interfaces = {Ip("127.0.0.1"), Ip("10.0.0.3"), Ip("10.0.0.4")};
             },
             "10.0.0.3", 1, 1},
        Path{"LoopbackRouteIsNoRoute", [](ScriptedPlatform& p) { p.routeSource = Ip("127.0.0.1"); },
             "10.0.0.3", 1, 1},
        Path{"NothingElseIsLoopback",
             [](ScriptedPlatform& p) {
                 p.routeSource = 0;
                 p.interfaces.clear();
             },
             "127.0.0.1", 1, 1},
        Path{"ThrowInStartup", Throw("startup"), "0", 0, 0},
        Path{"ThrowInGethostbyname", Throw("gethostbyname"), "0", 1, 1},
        Path{"ThrowInInetNtoa", Throw("inet_ntoa"), "0", 1, 1},
        Path{"ThrowInBroadcastSourceAddress", Throw("broadcastSourceAddress"), "0", 1, 1},
        Path{"ThrowInCleanup", Throw("cleanup"), "0", 1, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GetLocalAddress, WritesTheHostNameOnceAndResolvesThatName)
{
    ScriptedPlatform platform;
    platform.addresses = {Ip("172.16.4.2")};
    EXPECT_EQ(node::GetLocalAddress(platform), "172.16.4.2");
    EXPECT_EQ(platform.lines, std::vector<std::string>{"greenhouse-pc"});
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"startup", "gethostname", "writeLine",
                                                        "gethostbyname", "inet_ntoa", "cleanup"}));
}

TEST(GetLocalAddress, StoresAtMostSixtyFourAddresses)
{
    ScriptedPlatform platform;
    platform.addresses.clear();
    for (int i = 1; i <= 70; ++i)
        platform.addresses.push_back(Ip(("10.0.0." + std::to_string(i)).c_str()));
    EXPECT_EQ(node::GetLocalAddress(platform), "10.0.0.1");
    EXPECT_EQ(platform.count("inet_ntoa"), 64);
}

TEST(GetLocalAddress, CutsAHostNameThatFillsTheBuffer)
{
    ScriptedPlatform platform;
    platform.hostName = std::string(300, 'n');
    node::GetLocalAddress(platform);
    ASSERT_EQ(platform.lines.size(), 1u);
    EXPECT_EQ(platform.lines[0], std::string(255, 'n'));
}

TEST(GetLocalAddress, OnThisMachineGivesAnIPv4Text)
{
    const std::string text = node::GetLocalAddress();
    in_addr parsed{};
    EXPECT_EQ(inet_pton(AF_INET, text.c_str(), &parsed), 1) << text;
}

// The real platform inside a test namespace, with the resolver's answer
// scripted: none, or Debian's loopback alias.
class ScriptedResolver : public node::LocalAddressPlatformPosix {
public:
    explicit ScriptedResolver(bool answersLoopback) : answersLoopback_(answersLoopback) {}

    void writeLine(const char*) override {}
    const hostent* gethostbyname(const char*) override
    {
        entry_.h_addr_list = items_.data();
        return answersLoopback_ ? &entry_ : nullptr;
    }

private:
    bool answersLoopback_;
    std::uint32_t address_ = Ip("127.0.1.1");
    std::array<char*, 2> items_{reinterpret_cast<char*>(&address_), nullptr};
    hostent entry_{};
};

struct Network {
    const char* name;
    NetNamespace::Layout layout;
    std::vector<NetNamespace::ExtraInterface> extras;
    const char* result;
};

void PrintTo(const Network& network, std::ostream* out)
{
    *out << network.name;
}

class GetLocalAddressNetworks
    : public ::testing::TestWithParam<std::tuple<Network, bool /*answersLoopback*/>> {};

TEST_P(GetLocalAddressNetworks, TakesTheAddressThatCarriesTheBroadcast)
{
    const auto& [network, answersLoopback] = GetParam();
    NetNamespace ns(network.layout, network.extras);
    if (!ns.Ready()) {
        GTEST_SKIP() << ns.SkipReason();
    }
    std::string address;
    ns.RunInSender([&] {
        ScriptedResolver platform(answersLoopback);
        address = node::GetLocalAddress(platform);
    });
    EXPECT_EQ(address, network.result);
}

using Layout = NetNamespace::Layout;

INSTANTIATE_TEST_SUITE_P(
    Namespaces, GetLocalAddressNetworks,
    ::testing::Combine(::testing::Values(
                           // lan0 comes first in the interface list; the route leaves by the veth.
                           Network{"RouteBeforeInterfaceOrder",
                                   Layout::Pair,
                                   {{"10.232.0.1/24", true}},
                                   NetNamespace::kSenderAddress},
                           // lan0 is up without a carrier, as docker0 with no container is.
                           Network{"NoRouteFirstInterfaceWithCarrier",
                                   Layout::LoopbackOnly,
                                   {{"10.233.0.1/24", false}, {"10.232.0.1/24", true}},
                                   "10.232.0.1"},
                           Network{"NoCarrierAnywhere",
                                   Layout::LoopbackOnly,
                                   {{"10.233.0.1/24", false}},
                                   "127.0.0.1"}),
                       ::testing::Bool()),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) +
               (std::get<1>(info.param) ? "LoopbackAnswer" : "Unresolved");
    });

} // namespace
