#pragma once

#include <QString>

#include <string>

namespace cli {

// The time of an output line: local time with its offset, so that lines stay
// in order across a change of daylight saving time.
QString NowText();

// An error text on one line: socket errors put the system's text on a second.
std::string OneLine(std::string text);

} // namespace cli
