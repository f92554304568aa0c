#pragma once

#include <string>
#include <string_view>

namespace ccm {

// Converts UTF-8 text to its Shift-JIS (code page 932) wire bytes. A
// character that code page 932 cannot represent, and every byte that is not
// valid UTF-8, becomes one "?" (0x3F), so the output always has a defined
// length and never holds a partial character.
class Cp932Encoder {
public:
    static constexpr char kReplacement = '?';

    // Throws runtime::Exception when the system has no code page 932
    // converter.
    Cp932Encoder();
    Cp932Encoder(const Cp932Encoder&) = delete;
    Cp932Encoder& operator=(const Cp932Encoder&) = delete;
    ~Cp932Encoder();

    // Replaces `out` with the encoding of `utf8`.
    void encode(std::string_view utf8, std::string& out);
    std::string encode(std::string_view utf8);
    // True when every character of `utf8` has a code in page 932, so that
    // encode() puts no "?" of its own.
    bool encodable(std::string_view utf8);

private:
    // False when the character was replaced.
    bool encodeNonAscii(std::string_view& rest, std::string& out);

    void* handle_; // iconv_t
};

} // namespace ccm
