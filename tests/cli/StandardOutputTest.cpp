#include "cli/StandardOutput.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Only the null device may have its output skipped: a pipe, a file or
// another character device must still get every line.
TEST(IsNullDevice, KnowsTheNullDeviceFromEveryOtherOutput)
{
    const int null = ::open("/dev/null", O_WRONLY);
    ASSERT_GE(null, 0);
    EXPECT_TRUE(cli::IsNullDevice(null));
    ::close(null);

    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    EXPECT_FALSE(cli::IsNullDevice(ends[1]));
    ::close(ends[0]);
    ::close(ends[1]);

    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(cli::IsNullDevice(fileno(file)));
    std::fclose(file);

    const int zero = ::open("/dev/zero", O_WRONLY);
    ASSERT_GE(zero, 0);
    EXPECT_FALSE(cli::IsNullDevice(zero));
    ::close(zero);

    EXPECT_FALSE(cli::IsNullDevice(-1));
}

} // namespace
