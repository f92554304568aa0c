#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace station {

// What is wrong with a scenario and where, in the form editors jump to:
// "FILE:LINE:COLUMN: what".
class ScenarioError : public std::runtime_error {
public:
    ScenarioError(const std::string& file, std::uint32_t line, std::uint32_t column,
                  const std::string& what)
        : std::runtime_error(file + ':' + std::to_string(line) + ':' + std::to_string(column) +
                             ": " + what),
          positioned_(true)
    {
    }
    // A fault of the file as a whole: "FILE: what".
    ScenarioError(const std::string& file, const std::string& what)
        : std::runtime_error(file + ": " + what), positioned_(false)
    {
    }

    // False for a fault of the file as a whole.
    bool positioned() const { return positioned_; }

private:
    bool positioned_;
};

// `text` from a file in single quotes for a message, cut after its first
// 60 characters ("..." marks the cut), so a huge line cannot flood the
// terminal.
std::string Quoted(std::string_view text);

// Throws ScenarioError unless `path` names a regular file this process may
// read: a directory or a device would read as empty, or never end.
void RequireReadableFile(const std::string& path);

} // namespace station
