#pragma once

#include "ccm/Decoder.h"
#include "ccm/LiteralReceiver.h"
#include "monitor/LintAnnouncements.h"

#include <string>
#include <string_view>
#include <vector>

namespace monitor {

struct LintFinding {
    // The decoder's departure name ("attribute-order"), "value-decimals", or
    // "undecodable" for a datagram that is none of the forms.
    std::string code;
    std::string detail;
};

struct LintResult {
    // The capture's kind name ("data", "ccmscan-reply"...); empty when the
    // datagram does not decode.
    std::string kind;
    std::vector<LintFinding> findings;
};

// Judges message after message against the literal one-line forms: the
// decoder's findings, plus a data value written with other decimals than its
// CCM is announced with (by a CCMSCAN reply met earlier, or by hand); for
// a literal receiver, a data message it would drop.
class Linter {
public:
    explicit Linter(LintAnnouncements announcements = {},
                    ccm::ReceiverProfile receiver = ccm::ReceiverProfile::Tolerant);

    // `source` is the sender's address; empty when unknown (text input).
    // `decoded` is what `bytes` decode to.
    LintResult check(const std::string& source, std::string_view bytes,
                     const ccm::DecodeResult& decoded);

private:
    LintAnnouncements announcements_;
    ccm::ReceiverProfile receiver_;
};

} // namespace monitor
