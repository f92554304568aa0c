#include "ccm/Cp932Encoder.h"

#include "ccm/Utf8.h"
#include "runtime/Exception.h"

#include <cerrno>
#include <iconv.h>

namespace ccm {

namespace {

iconv_t toIconv(void* handle)
{
    return static_cast<iconv_t>(handle);
}

bool isAscii(char c)
{
    return static_cast<unsigned char>(c) < 0x80;
}

} // namespace

Cp932Encoder::Cp932Encoder() : handle_(::iconv_open("CP932", "UTF-8"))
{
    if (handle_ == reinterpret_cast<void*>(-1))
        throw runtime::Exception("No Shift-JIS (CP932) converter on this system");
}

Cp932Encoder::~Cp932Encoder()
{
    ::iconv_close(toIconv(handle_));
}

void Cp932Encoder::encode(std::string_view utf8, std::string& out)
{
    out.clear();
    std::string_view rest = utf8;
    while (!rest.empty()) {
        // ASCII is the same in code page 932 and is by far the common case,
        // so it is copied without the converter.
        std::size_t ascii = 0;
        while (ascii < rest.size() && isAscii(rest[ascii]))
            ++ascii;
        out.append(rest.data(), ascii);
        rest.remove_prefix(ascii);
        if (!rest.empty())
            encodeNonAscii(rest, out);
    }
}

std::string Cp932Encoder::encode(std::string_view utf8)
{
    std::string out;
    encode(utf8, out);
    return out;
}

bool Cp932Encoder::encodable(std::string_view utf8)
{
    std::string scratch;
    std::string_view rest = utf8;
    while (!rest.empty()) {
        if (isAscii(rest.front()))
            rest.remove_prefix(1);
        else if (!encodeNonAscii(rest, scratch))
            return false;
    }
    return true;
}

// Converts the one character at the start of `rest` and consumes it.
bool Cp932Encoder::encodeNonAscii(std::string_view& rest, std::string& out)
{
    const std::size_t length = Utf8CharLength(rest, 0);
    if (length == 0) {
        out += kReplacement;
        rest.remove_prefix(1);
        return false;
    }
    char converted[4];
    char* in = const_cast<char*>(rest.data());
    std::size_t inLeft = length;
    char* to = converted;
    std::size_t toLeft = sizeof converted;
    ::iconv(toIconv(handle_), nullptr, nullptr, nullptr, nullptr); // fresh shift state
    // glibc takes the language tags (U+E0000..E007F) and writes nothing for
    // them: a character that would vanish from the wire counts as having no code.
    const bool done =
        ::iconv(toIconv(handle_), &in, &inLeft, &to, &toLeft) != static_cast<std::size_t>(-1) &&
        to != converted;
    if (done)
        out.append(converted, to);
    else
        out += kReplacement; // EILSEQ: the character has no code in page 932
    rest.remove_prefix(length);
    return done;
}

} // namespace ccm
