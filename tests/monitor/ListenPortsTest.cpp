// The ports monitor and lint listen on: each once, the data port first.

#include "monitor/ListenPorts.h"

#include <gtest/gtest.h>

namespace {

struct PortsRow {
    std::uint16_t dataPort;
    bool scans;
    std::vector<std::uint16_t> ports;
};

class ListenPortsTest : public testing::TestWithParam<PortsRow> {};

TEST_P(ListenPortsTest, EachPortOnceDataPortFirst)
{
    EXPECT_EQ(monitor::ListenPorts(GetParam().dataPort, GetParam().scans), GetParam().ports);
}

INSTANTIATE_TEST_SUITE_P(Options, ListenPortsTest,
                         testing::Values(PortsRow{16520, false, {16520}},
                                         PortsRow{16529, false, {16529}},
                                         PortsRow{16520, true, {16520, 16521, 16529}},
                                         PortsRow{16529, true, {16529, 16521}},
                                         PortsRow{16521, true, {16521, 16529}}));

} // namespace
