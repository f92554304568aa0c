#include "station/PlaybackReader.h"

#include "station/ScenarioError.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <string_view>

namespace station {

namespace {

// Played values go into messages: the same bound as a scenario's numbers.
constexpr double kLargest = 1e9;

class LineReader {
public:
    LineReader(const std::string& path, std::string_view line, std::uint32_t number)
        : path_(path), line_(line), number_(number)
    {
    }

    // The number that starts at column `from` (0-based) and runs to `end`,
    // blanks around it allowed.
    double numberAt(std::size_t from, std::size_t end) const
    {
        while (from < end && (line_[from] == ' ' || line_[from] == '\t'))
            ++from;
        while (end > from && (line_[end - 1] == ' ' || line_[end - 1] == '\t'))
            --end;
        double value = 0;
        const auto result = std::from_chars(line_.data() + from, line_.data() + end, value);
        if (result.ec != std::errc() || result.ptr != line_.data() + end || !std::isfinite(value) ||
            std::fabs(value) > kLargest)
            throw ScenarioError(path_, number_, static_cast<std::uint32_t>(from + 1),
                                "not a number up to 1e9: " +
                                    Quoted(line_.substr(from, end - from)));
        return value;
    }

    bool isNumber(std::size_t from, std::size_t end) const
    {
        try {
            numberAt(from, end);
            return true;
        } catch (const ScenarioError&) {
            return false;
        }
    }

private:
    const std::string& path_;
    std::string_view line_;
    std::uint32_t number_;
};

} // namespace

std::vector<PlaybackRow> ReadPlayback(const std::string& path, bool timed)
{
    RequireReadableFile(path);
    std::ifstream in(path, std::ios::binary);
    std::vector<PlaybackRow> rows;
    std::string text;
    for (std::uint32_t number = 1; std::getline(in, text); ++number) {
        std::string_view line = text;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.empty())
            continue;
        const LineReader reader(path, line, number);
        if (!timed) {
            rows.push_back({0, reader.numberAt(0, line.size())});
            continue;
        }
        const std::size_t comma = line.find(',');
        if (comma == std::string_view::npos)
            throw ScenarioError(path, number, 1, "expected 'seconds,value'");
        // A first line of names is a header.
        if (rows.empty() && number == 1 && !reader.isNumber(0, comma))
            continue;
        const double at = reader.numberAt(0, comma);
        if (at < 0 || (!rows.empty() && at < rows.back().at))
            throw ScenarioError(path, number, 1,
                                "times must start at 0 or later and never go back");
        rows.push_back({at, reader.numberAt(comma + 1, line.size())});
    }
    if (in.bad())
        throw ScenarioError(path, "cannot be read");
    if (rows.empty())
        throw ScenarioError(path, "holds no value");
    return rows;
}

} // namespace station
