// The test command's verdict lines: text from the network reaches the
// terminal escaped, in the text form and in JSON alike.
#include "cli/TestOutput.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string Written(bool json, const report::ExpectationResult& result)
{
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    cli::TestOutput(json, out).decided("t.toml", result);
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

TEST(TestOutput, NetworkTextIsEscaped)
{
    report::ExpectationResult result;
    result.name = "vents";
    result.mode = "within";
    result.condition = "value = 0";
    result.outcome = report::Outcome::Fail;
    result.evidence.seconds = 2.5;
    result.evidence.source = "10.0.0.2:16520";
    result.evidence.text = "<DATA>\x1b[2J1</DATA>\n";
    result.evidence.isDatagram = true;
    result.evidence.note = "value \x1b[2J1 while it had to hold";
    const std::string text = Written(false, result);
    EXPECT_EQ(text, "FAIL  vents (within, value = 0) at 2.50 s: value \\x1b[2J1 while it had to "
                    "hold from 10.0.0.2:16520 <DATA>\\x1b[2J1</DATA>\\n\n");
    const std::string json = Written(true, result);
    EXPECT_EQ(json.find('\x1b'), std::string::npos) << json;
    EXPECT_NE(json.find("\"datagram\":\"<DATA>\\u001b[2J1</DATA>\\u000a\""), std::string::npos)
        << json;

    // "nothing matching arrived" carries the last value seen, from the wire too.
    result.evidence.isDatagram = false;
    result.evidence.text = "nothing matching arrived; last value seen \x1b]0;x at 1 s";
    EXPECT_EQ(Written(false, result).find('\x1b'), std::string::npos);
}

} // namespace
