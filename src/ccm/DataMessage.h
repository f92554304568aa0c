#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ccm {

// The most decimals a value is written with: enough for any sensor, and the
// text of a value stays short.
inline constexpr int kMaxCast = 6;

// One CCM data message of any type. The value is already text: receivers
// match the message literally, so its form is fixed by whoever makes it.
struct DataFields {
    std::string_view type; // UTF-8
    std::int32_t room = 0;
    std::int32_t region = 0;
    std::int32_t order = 0;
    std::int32_t priority = 0;
    std::string_view value;
    std::string_view ip; // UTF-8
};

// Formats the message text (UTF-8) into `out`, replacing its content, in the
// one-line form every node sends. Texts are inserted unchanged (no escaping),
// but a text longer than the panel allows is cut to that many characters, so
// the message always fits the 1024-byte working area of the wire form.
void FormatDataMessage(const DataFields& fields, std::string& out);

// Writes `value` with exactly `cast` decimals (0..kMaxCast), rounded to the
// nearest, halves away from zero ("23.5", "0.62", "1"), where a half is
// judged on the shortest decimal that reads back as `value` (0.145 gives
// "0.15" with 2 decimals). A value that
// rounds to zero is written without a sign ("0.0", never "-0.0"). `value`
// must be finite.
void FormatValue(double value, int cast, std::string& out);

} // namespace ccm
