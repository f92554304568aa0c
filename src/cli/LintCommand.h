#pragma once

#include "cli/Subcommand.h"
#include "monitor/LintAnnouncements.h"
#include "monitor/LintSession.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace cli {

// `setarome-cli lint`: every departure from the literal message forms, message
// by message, from a capture, from text (one message a line, or one whole
// datagram) or from the network.
class LintCommand : public Subcommand {
public:
    explicit LintCommand(CLI::App& program);

    // Exactly one input; the --cast announcements. Throws CLI::ValidationError.
    void check() override;
    // 0 nothing found, 1 something found or a port could not be opened, 2 an
    // input (or part of it) could not be read.
    int run() override;

private:
    void lintCapture(monitor::LintSession& session);
    void lintRaw(monitor::LintSession& session);
    void lintDatagram(monitor::LintSession& session);
    // False when a port cannot be opened (reported).
    bool lintLive(monitor::LintSession& session);

    std::string capture_;
    std::string raw_;
    std::string datagram_;
    bool live_ = false;
    bool scans_ = false;
    bool link_ = false;
    std::uint16_t port_ = 16520;
    std::string interfaceName_;
    std::int32_t count_ = 0;
    std::int64_t seconds_ = 0;
    bool json_ = false;
    std::vector<std::string> casts_;
    std::string receiver_;
    monitor::LintAnnouncements announcements_;
};

} // namespace cli
