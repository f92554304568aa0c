#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace judge {

// One received datagram as an expectation sees it.
struct Observation {
    // Seconds from the start of the run, by the kernel's receive time.
    double seconds = 0;
    // "10.1.0.2:16520"
    std::string source;
    // The datagram as it arrived; valid during the call only.
    std::string_view text;
    // The DATA value as a number; nothing when it is not one.
    std::optional<double> value;
    // The value as written, for messages.
    std::string valueText;
    // Whether receivers take this sender's value for its CCM (the lowest
    // priority number among current senders).
    bool counts = false;
    // The first conformance finding, "code: detail"; empty when clean.
    std::string finding;
};

} // namespace judge
