#include "transport/TIdStack.h"

#include "transport/EIdException.h"
#include "transport/EIdSocketError.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <string_view>
#include <utility>

namespace transport {

namespace {

constexpr std::array<std::pair<std::int32_t, const char*>, 38> kErrorTexts{{
    {10004, "Interrupted system call."},
    {10009, "Bad file number."},
    {10013, "Access denied."},
    {10014, "Bad address."},
    {10022, "Invalid argument."},
    {10024, "Too many open files."},
    {10035, "Operation would block. "},
    {10036, "Operation now in progress."},
    {10037, "Operation already in progress."},
    {10038, "Socket operation on non-socket."},
    {10039, "Destination address required."},
    {10040, "Message too long."},
    {10041, "Protocol wrong type for socket."},
    {10042, "Bad protocol option."},
    {10043, "Protocol not supported."},
    {10044, "Socket type not supported."},
    {10045, "Operation not supported on socket."},
    {10046, "Protocol family not supported."},
    {10047, "Address family not supported by protocol family."},
    {10048, "Address already in use."},
    {10049, "Cannot assign requested address."},
    {10050, "Network is down."},
    {10051, "Network is unreachable."},
    {10052, "Net dropped connection or reset."},
    {10053, "Software caused connection abort."},
    {10054, "Connection reset by peer."},
    {10055, "No buffer space available."},
    {10056, "Socket is already connected."},
    {10057, "Socket is not connected."},
    {10058, "Cannot send or receive after socket is closed."},
    {10059, "Too many references, cannot splice."},
    {10060, "Connection timed out."},
    {10061, "Connection refused."},
    {10062, "Too many levels of symbolic links."},
    {10063, "File name too long."},
    {10064, "Host is down."},
    {10065, "No route to host."},
    {10066, "Directory not empty"},
}};

constexpr std::int64_t kNotConverted = -1;

// Plain decimal digits only; anything else (including an empty part) fails.
std::int64_t ToInteger(std::string_view part)
{
    std::int64_t value = kNotConverted;
    if (part.empty() || !std::isdigit(static_cast<unsigned char>(part.front()))) {
        return kNotConverted;
    }
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (error != std::errc() || end != part.data() + part.size()) {
        return kNotConverted;
    }
    return value;
}

bool InRange(std::int64_t value, std::int64_t max)
{
    return value >= 0 && value <= max;
}

// Splits at the first three dots; the fourth part keeps any further dots.
std::array<std::string_view, 4> SplitAtDots(std::string_view text)
{
    std::array<std::string_view, 4> parts{};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t dot = text.find('.');
        parts[i] = text.substr(0, dot);
        text = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    }
    parts[3] = text;
    return parts;
}

int ClassOf(std::uint8_t firstOctet)
{
    constexpr std::array<int, 4> kBounds{128, 192, 224, 240};
    const auto* bound = std::find_if(kBounds.begin(), kBounds.end(),
                                     [firstOctet](int b) { return firstOctet < b; });
    return static_cast<int>(bound - kBounds.begin()) + 1;
}

// Fills octets, form and class from the split parts; false when a part does
// not convert or is out of its range.
bool ParseParts(const std::array<std::string_view, 4>& p, IPAddressParts& out)
{
    if (p[1].empty()) {
        const std::int64_t n = ToInteger(p[0]);
        if (!InRange(n, 0xFFFFFFFF)) {
            return false;
        }
        out = {
            {std::uint8_t(n >> 24), std::uint8_t(n >> 16), std::uint8_t(n >> 8), std::uint8_t(n)},
            IPTextForm::Number,
            0};
        return true;
    }
    const std::int64_t a = ToInteger(p[0]);
    if (p[2].empty()) {
        const std::int64_t m = ToInteger(p[1]);
        if (!InRange(a, 255) || !InRange(m, 0xFFFFFF)) {
            return false;
        }
        out = {{std::uint8_t(a), std::uint8_t(m >> 16), std::uint8_t(m >> 8), std::uint8_t(m)},
               IPTextForm::Dotted,
               1};
        return true;
    }
    const std::int64_t b = ToInteger(p[1]);
    if (p[3].empty()) {
        const std::int64_t w = ToInteger(p[2]);
        if (!InRange(a, 255) || !InRange(b, 255) || !InRange(w, 0xFFFF)) {
            return false;
        }
        out = {{std::uint8_t(a), std::uint8_t(b), std::uint8_t(w >> 8), std::uint8_t(w)},
               IPTextForm::Dotted,
               2};
        return true;
    }
    const std::int64_t c = ToInteger(p[2]);
    const std::int64_t d = ToInteger(p[3]);
    if (!InRange(a, 255) || !InRange(b, 255) || !InRange(c, 255) || !InRange(d, 255)) {
        return false;
    }
    out = {{std::uint8_t(a), std::uint8_t(b), std::uint8_t(c), std::uint8_t(d)},
           IPTextForm::Dotted,
           ClassOf(std::uint8_t(a))};
    return true;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) ==
               std::toupper(static_cast<unsigned char>(y));
    });
}

} // namespace

std::string TIdStack::ErrorText(std::int32_t code)
{
    const auto* entry = std::find_if(kErrorTexts.begin(), kErrorTexts.end(),
                                     [code](const auto& e) { return e.first == code; });
    return SocketErrorMessage(code, entry == kErrorTexts.end() ? "" : entry->second);
}

std::string TIdStack::SocketErrorMessage(std::int32_t code, const char* text)
{
    return "Socket Error # " + std::to_string(code) + "\r\n" + text;
}

bool TIdStack::CheckSocketResult(ssize_t result, std::span<const std::int32_t> ignored)
{
    if (result != -1) {
        return false;
    }
    const std::int32_t code = SockLastError();
    lastSocketError_.store(code);
    if (std::find(ignored.begin(), ignored.end(), code) != ignored.end()) {
        return true;
    }
    ThrowSocketError(code);
}

void TIdStack::ThrowSocketError(std::int32_t code)
{
    throw EIdSocketError(code, ErrorText(code));
}

int TIdStack::NewSocket(int type, int protocol)
{
    const int socket = SockOpen(AF_INET, type, protocol);
    if (socket == -1) {
        throw EIdInvalidSocket("Cannot allocate socket.");
    }
    return socket;
}

std::string TIdStack::HostToAddressText(const std::string& host)
{
    if (EqualsIgnoringCase(host, "LOCALHOST")) {
        return "127.0.0.1";
    }
    if (IsAddressText(host)) {
        return host;
    }
    return SockHostByName(host);
}

IPv4Bytes TIdStack::AddressFromText(const std::string& text)
{
    return TranslateAddressText(text);
}

bool TIdStack::ParseAddressText(const std::string& text, IPAddressParts& parts)
{
    IPAddressParts parsed;
    if (!ParseParts(SplitAtDots(text), parsed)) {
        parts.form = IPTextForm::Invalid;
        parts.ipClass = 0;
        return false;
    }
    parts = parsed;
    return true;
}

IPTextForm TIdStack::AddressTextFormOf(const std::string& text)
{
    IPAddressParts parts;
    ParseAddressText(text, parts);
    return parts.form;
}

bool TIdStack::IsAddressText(const std::string& text)
{
    return AddressTextFormOf(text) != IPTextForm::Invalid;
}

} // namespace transport
