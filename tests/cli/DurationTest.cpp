// --duration texts: the forms taken, and every other text refused before a
// run starts.

#include "cli/Duration.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

struct DurationCase {
    std::string text;
    std::optional<std::int64_t> seconds;
};

void PrintTo(const DurationCase& c, std::ostream* out)
{
    *out << '"' << c.text << '"';
}

class Durations : public testing::TestWithParam<DurationCase> {};

TEST_P(Durations, AreReadAsSecondsOrRefused)
{
    EXPECT_EQ(cli::ParseDuration(GetParam().text), GetParam().seconds);
}

constexpr std::int64_t kYear = 366 * 86400;

INSTANTIATE_TEST_SUITE_P(Forms, Durations,
                         testing::Values(DurationCase{"90", 90}, DurationCase{"90s", 90},
                                         DurationCase{"15m", 900}, DurationCase{"2h", 7200},
                                         DurationCase{"1h30m", 5400}, DurationCase{"1d", 86400},
                                         DurationCase{"1d2h3m4s", 93784},
                                         DurationCase{"600h", 2'160'000},
                                         DurationCase{"1200h", 4'320'000}, DurationCase{"0h1s", 1},
                                         DurationCase{"366d", kYear},
                                         DurationCase{"365d24h", kYear}));

INSTANTIATE_TEST_SUITE_P(
    Refused, Durations,
    testing::Values(DurationCase{"", std::nullopt}, DurationCase{"0", std::nullopt},
                    DurationCase{"0m", std::nullopt}, DurationCase{"-5", std::nullopt},
                    DurationCase{"5x", std::nullopt}, DurationCase{"1h30", std::nullopt},
                    DurationCase{"30m1h", std::nullopt}, DurationCase{"1h1h", std::nullopt},
                    DurationCase{"1h 30m", std::nullopt}, DurationCase{"h", std::nullopt},
                    DurationCase{"366d1s", std::nullopt}, DurationCase{"367d", std::nullopt},
                    DurationCase{"99999999999999999999d", std::nullopt}));

} // namespace
