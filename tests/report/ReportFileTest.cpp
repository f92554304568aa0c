#include "report/ReportFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

TEST(ReportFile, WrittenWholeOrTheFailureIsSaid)
{
    const std::string path = testing::TempDir() + "report_file_test.xml";
    // Larger than the stream's buffer, so part of it goes out before the close.
    const std::string text(100000, 'x');
    EXPECT_EQ(report::WriteReportFile(path, text), "");
    std::ifstream in(path, std::ios::binary);
    std::stringstream read;
    read << in.rdbuf();
    EXPECT_EQ(read.str(), text);
    std::remove(path.c_str());

    // A full disk: the tail that fails only at the close still counts.
    EXPECT_EQ(report::WriteReportFile("/dev/full", "<testsuites/>"),
              "/dev/full: No space left on device");
    EXPECT_EQ(report::WriteReportFile("/nonexistent/dir/r.html", text),
              "/nonexistent/dir/r.html: No such file or directory");
}

} // namespace
