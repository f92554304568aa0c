#include "discovery/Identity.h"

#include "ccm/Ipv4Text.h"

#include <cctype>
#include <cstdio>

namespace discovery {

namespace {

constexpr std::size_t kIdDigits = 12;

std::string HexText(std::uint64_t value)
{
    char text[kIdDigits + 1];
    std::snprintf(text, sizeof text, "%012llX",
                  static_cast<unsigned long long>(value & 0xFFFFFFFFFFFFull));
    return text;
}

} // namespace

std::optional<std::string> NormalizeId(std::string_view text)
{
    // "0200C0A80146", or six pairs split by ':' or '-'.
    const bool separated = text.size() == kIdDigits + 5;
    std::string id;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto c = static_cast<unsigned char>(text[at]);
        if (separated && at % 3 == 2) {
            if (c != ':' && c != '-')
                return std::nullopt;
            continue;
        }
        if (!std::isxdigit(c))
            return std::nullopt;
        id.push_back(static_cast<char>(std::toupper(c)));
    }
    if (id.size() != kIdDigits)
        return std::nullopt;
    return id;
}

std::string OffsetId(const std::string& id, std::uint32_t offset)
{
    return HexText(std::stoull(id, nullptr, 16) + offset);
}

std::string DefaultMac(std::string_view ip)
{
    return HexText(0x020000000000ull | ccm::ParseIpv4(ip).value_or(0));
}

NodeIdentity DefaultIdentity(const std::string& ip)
{
    return NodeIdentity{kDefaultName, kDefaultVendor, kDefaultUecsId, ip, DefaultMac(ip)};
}

} // namespace discovery
