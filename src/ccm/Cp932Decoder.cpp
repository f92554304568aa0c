#include "ccm/Cp932Decoder.h"

#include "runtime/Exception.h"

#include <iconv.h>

namespace ccm {

namespace {

iconv_t toIconv(void* handle)
{
    return static_cast<iconv_t>(handle);
}

// A one-byte half-width katakana becomes three UTF-8 bytes: the most any
// Shift-JIS byte grows.
constexpr std::size_t kMaxGrowth = 3;

} // namespace

Cp932Decoder::Cp932Decoder() : handle_(::iconv_open("UTF-8", "CP932"))
{
    if (handle_ == reinterpret_cast<void*>(-1))
        throw runtime::Exception("No Shift-JIS (CP932) converter on this system");
}

Cp932Decoder::~Cp932Decoder()
{
    ::iconv_close(toIconv(handle_));
}

std::size_t Cp932Decoder::decode(std::string_view cp932, std::string& out)
{
    const std::size_t start = out.size();
    out.resize(start + kMaxGrowth * cp932.size());
    char* in = const_cast<char*>(cp932.data());
    std::size_t inLeft = cp932.size();
    char* to = out.data() + start;
    std::size_t toLeft = out.size() - start;
    ::iconv(toIconv(handle_), nullptr, nullptr, nullptr, nullptr); // fresh shift state
    const bool complete =
        ::iconv(toIconv(handle_), &in, &inLeft, &to, &toLeft) != static_cast<std::size_t>(-1);
    out.resize(static_cast<std::size_t>(to - out.data()));
    return complete ? kAllDecoded : cp932.size() - inLeft;
}

} // namespace ccm
