#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ccm {

// Converts Shift-JIS (code page 932) bytes to UTF-8, refusing rather than
// replacing what is not Shift-JIS: received text is reported, not repaired.
class Cp932Decoder {
public:
    static constexpr std::size_t kAllDecoded = static_cast<std::size_t>(-1);

    // Throws runtime::Exception when the system has no code page 932
    // converter.
    Cp932Decoder();
    Cp932Decoder(const Cp932Decoder&) = delete;
    Cp932Decoder& operator=(const Cp932Decoder&) = delete;
    ~Cp932Decoder();

    // Appends the UTF-8 of `cp932` to `out`. Returns kAllDecoded, or the
    // offset of the first byte that does not start a Shift-JIS character (a
    // truncated one included); `out` then holds what came before it.
    std::size_t decode(std::string_view cp932, std::string& out);

private:
    void* handle_; // iconv_t
};

} // namespace ccm
