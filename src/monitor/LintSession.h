#pragma once

#include "monitor/Lint.h"
#include "monitor/LintOutput.h"
#include "monitor/SenderEncodings.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace monitor {

// One lint run over an input: each message judged and its findings written,
// one line each, to `out`; inputs that could not be read reported to
// `errors`; the tally kept for the closing line and the exit status.
class LintSession {
public:
    LintSession(LintAnnouncements announcements, bool json, std::FILE* out, std::FILE* errors,
                ccm::ReceiverProfile receiver = ccm::ReceiverProfile::Tolerant);

    // Decodes `bytes` as its sender (origin.source) wrote before, and judges it.
    void message(const LintOrigin& origin, std::string_view bytes);
    // A part of the input that holds no message: "FILE:LINE: what".
    void refused(const std::string& what);
    // The input could not be read (on): "FILE: what".
    void unreadable(const std::string& what);
    // The closing line, to `errors`.
    void finish();

    const LintTally& tally() const { return tally_; }
    // 2 when part of the input could not be read (the verdict is
    // incomplete), else 1 when anything was found, else 0.
    int exitStatus() const;

private:
    Linter linter_;
    SenderEncodings encodings_;
    bool json_;
    std::FILE* out_;
    std::FILE* errors_;
    LintTally tally_;
    bool unreadable_ = false;
};

} // namespace monitor
