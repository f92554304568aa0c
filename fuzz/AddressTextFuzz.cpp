// The socket stack's address-text parser, given arbitrary bytes, against its
// documented forms read as a grammar, and against the C library's inet_aton
// where the two must agree.
#include "FuzzCheck.h"
#include "transport/TIdStack.h"

#include <arpa/inet.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

using transport::IPAddressParts;
using transport::IPTextForm;
using transport::IPv4Bytes;
using transport::TIdStack;

// Consumes the text from the front.
class Reader {
public:
    explicit Reader(std::string_view text) : rest_(text) {}

    // A nonempty run of decimal digits no greater than `max`.
    std::optional<std::uint32_t> number(std::uint64_t max)
    {
        std::uint64_t value = 0;
        std::size_t digits = 0;
        for (; digits < rest_.size() && rest_[digits] >= '0' && rest_[digits] <= '9'; ++digits)
            value =
                std::min<std::uint64_t>(value * 10 + std::uint64_t(rest_[digits] - '0'), max + 1);
        rest_.remove_prefix(digits);
        if (digits == 0 || value > max)
            return std::nullopt;
        return static_cast<std::uint32_t>(value);
    }
    bool dot()
    {
        if (rest_.empty() || rest_[0] != '.')
            return false;
        rest_.remove_prefix(1);
        return true;
    }
    bool atEnd() const { return rest_.empty(); }
    // What may follow the last part of the one- and two-part forms: nothing,
    // one dot, or two dots and then anything, since only an empty next part
    // decides these forms.
    bool unusedTail() const { return rest_.empty() || rest_ == "." || rest_.starts_with(".."); }

private:
    std::string_view rest_;
};

IPAddressParts Parts(IPv4Bytes octets, IPTextForm form, int ipClass)
{
    return {octets, form, ipClass};
}

std::uint8_t Byte(std::uint32_t value, int shift)
{
    return static_cast<std::uint8_t>(value >> shift);
}

int ClassOf(std::uint8_t first)
{
    return first < 128 ? 1 : first < 192 ? 2 : first < 224 ? 3 : first < 240 ? 4 : 5;
}

// n | b.m24 | b.b.w16, each followed by its tail, or b.b.b.b exactly.
std::optional<IPAddressParts> Reference(std::string_view text)
{
    Reader number(text);
    if (const auto n = number.number(0xFFFFFFFF); n && number.unusedTail())
        return Parts({Byte(*n, 24), Byte(*n, 16), Byte(*n, 8), Byte(*n, 0)}, IPTextForm::Number, 0);
    Reader two(text);
    const auto a = two.number(255);
    if (!a || !two.dot())
        return std::nullopt;
    Reader three = two;
    if (const auto m = two.number(0xFFFFFF); m && two.unusedTail())
        return Parts({Byte(*a, 0), Byte(*m, 16), Byte(*m, 8), Byte(*m, 0)}, IPTextForm::Dotted, 1);
    const auto b = three.number(255);
    if (!b || !three.dot())
        return std::nullopt;
    Reader four = three;
    if (const auto w = three.number(0xFFFF); w && (three.atEnd() || (three.dot() && three.atEnd())))
        return Parts({Byte(*a, 0), Byte(*b, 0), Byte(*w, 8), Byte(*w, 0)}, IPTextForm::Dotted, 2);
    const auto c = four.number(255);
    if (!c || !four.dot())
        return std::nullopt;
    const auto d = four.number(255);
    if (!d || !four.atEnd())
        return std::nullopt;
    return Parts({Byte(*a, 0), Byte(*b, 0), Byte(*c, 0), Byte(*d, 0)}, IPTextForm::Dotted,
                 ClassOf(Byte(*a, 0)));
}

// One to four dot-separated decimal parts, none empty and none with a leading
// zero: texts whose meaning inet_aton shares.
bool IsPlainDotted(std::string_view text)
{
    int parts = 0;
    for (std::size_t at = 0; at <= text.size(); ++parts) {
        const std::size_t dot = std::min(text.find('.', at), text.size());
        const std::string_view part = text.substr(at, dot - at);
        if (part.empty() || part.find_first_not_of("0123456789") != std::string_view::npos ||
            (part.size() > 1 && part[0] == '0'))
            return false;
        at = dot + 1;
    }
    return parts <= 4;
}

constexpr IPv4Bytes kUntouched{0xA5, 0x5A, 0xC3, 0x3C};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    IPAddressParts parts;
    parts.octets = kUntouched;
    const bool valid = TIdStack::ParseAddressText(text, parts);
    const std::optional<IPAddressParts> expected = Reference(text);

    FUZZ_CHECK(valid == expected.has_value());
    FUZZ_CHECK(TIdStack::IsAddressText(text) == valid);
    FUZZ_CHECK(TIdStack::AddressTextFormOf(text) == parts.form);
    if (valid) {
        FUZZ_CHECK(parts.octets == expected->octets);
        FUZZ_CHECK(parts.form == expected->form && parts.ipClass == expected->ipClass);
    } else {
        // A text that is no address writes no octet.
        FUZZ_CHECK(parts.octets == kUntouched);
        FUZZ_CHECK(parts.form == IPTextForm::Invalid && parts.ipClass == 0);
    }

    if (text.find('\0') == std::string::npos && IsPlainDotted(text)) {
        in_addr address{};
        FUZZ_CHECK((::inet_aton(text.c_str(), &address) != 0) == valid);
        if (valid) {
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(&address.s_addr);
            FUZZ_CHECK(parts.octets == (IPv4Bytes{bytes[0], bytes[1], bytes[2], bytes[3]}));
        }
    }
    return 0;
}
