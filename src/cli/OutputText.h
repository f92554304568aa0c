#pragma once

#include <QJsonObject>
#include <QString>

#include <cstdio>
#include <optional>
#include <string>

namespace cli {

// The time of an output line: local time with its offset, so that lines stay
// in order across a change of daylight saving time.
QString NowText();

// An error text on one line: socket errors put the system's text on a second.
std::string OneLine(std::string text);

// One line, flushed at once, so that a pipe or the journal sees it as it
// happens.
void WriteLine(std::FILE* out, const std::string& line);

// A datagram's JSON object, completed with what became of it ("sent", and
// "error" or "dry_run"), as one line.
void WriteDatagramJson(std::FILE* out, QJsonObject object, const std::optional<std::string>& error,
                       bool dryRun);

} // namespace cli
