#pragma once

#include <QStringDecoder>

#include <cstdio>
#include <optional>
#include <string>

namespace cli {

// A tick's log line is its time, a tab and the rain indication; no other
// line of the log has a tab.
bool IsTickLine(const std::string& line);

// What the node prints on standard output. As text: the log lines as the
// window shows them and, in a dry run, each datagram's bytes on a line of
// their own. As JSON Lines: one object per tick ({"time", "value", "message",
// "sent", and "error" or "dry_run"}) and one per other log line ({"time",
// "log"}). Every line is flushed at once, so the journal has it at once.
class NodeOutput {
public:
    NodeOutput(bool json, std::FILE* out = stdout, std::FILE* errors = stderr);

    void logLine(const std::string& line);
    // The tick's datagram went nowhere (a dry run).
    void notSent(const std::string& payload);
    void sent(const std::string& payload);
    void sendFailed(const std::string& payload, const std::string& error);

private:
    void writeLine(const std::string& line);
    void writeTick(const std::string& payload, std::optional<std::string> error, bool dryRun);

    bool json_;
    std::FILE* out_;
    std::FILE* errors_;
    // The tick's time and value, from its log line, until its send ends.
    std::string tickTime_;
    int tickValue_ = 0;
    // The wire is code page 932; JSON carries the text. Made for JSON only:
    // the converter costs memory that a text run need not pay.
    std::optional<QStringDecoder> decoder_;
};

} // namespace cli
