#include "ccm/LiteralReceiver.h"

#include "ccm/Decoder.h"

#include <array>

namespace ccm {

namespace {

constexpr std::string_view kDeclaration = R"(<?xml version="1.0"?>)";
constexpr std::string_view kEnvelope = R"(<UECS ver="1.00-E10">)";
constexpr std::array<std::string_view, 5> kAttributes{"type", "room", "region", "order",
                                                      "priority"};

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Walks the datagram once, front to back, as a receiver's pointer would.
class LiteralMatch {
public:
    explicit LiteralMatch(std::string_view text) : text_(text) {}

    std::optional<LiteralRefusal> run()
    {
        if (text_.size() > kStrictMessageBytes)
            return refuse(LiteralRule::Buffer,
                          "the datagram is " + std::to_string(text_.size()) + " bytes, over the " +
                              std::to_string(kStrictMessageBytes) + "-byte buffer");
        if (!take(kDeclaration))
            return refuse(LiteralRule::Declaration,
                          "it does not begin with <?xml version=\"1.0\"?>");
        if (auto refusal = element(kEnvelope, LiteralRule::Envelope, "<UECS ver=\"1.00-E10\">"))
            return refusal;
        if (auto refusal = element("<DATA", LiteralRule::Data, "<DATA"))
            return refusal;
        if (auto refusal = attributes())
            return refusal;
        if (!skipPast('<') || !take("/DATA>"))
            return refuse(LiteralRule::Data, "the value is not followed by </DATA>");
        if (startsWithAfterSpace("<DATA"))
            return refuse(LiteralRule::OneData, "a second <DATA");
        if (whitespaceNext())
            return whitespace();
        const bool ip = take("<IP>");
        if (ip && (!skipPast('<') || !take("/IP>")))
            return refuse(LiteralRule::Ip, "<IP> is not followed by its text and </IP>");
        if (auto refusal = ip ? element("</UECS>", LiteralRule::End, "</UECS>")
                              : element("</UECS>", LiteralRule::Ip, "<IP>text</IP> or </UECS>"))
            return refusal;
        if (at_ != text_.size())
            return refuse(LiteralRule::End,
                          std::to_string(text_.size() - at_) + " bytes after </UECS>");
        return std::nullopt;
    }

private:
    std::optional<LiteralRefusal> refuse(LiteralRule rule, const std::string& what) const
    {
        return LiteralRefusal{rule, "at byte " + std::to_string(at_) + ": " + what};
    }

    std::optional<LiteralRefusal> whitespace() const
    {
        return refuse(LiteralRule::Whitespace, "whitespace between elements");
    }

    bool take(std::string_view expected)
    {
        if (!text_.substr(at_).starts_with(expected))
            return false;
        at_ += expected.size();
        return true;
    }

    bool whitespaceNext() const { return at_ < text_.size() && IsSpace(text_[at_]); }

    bool startsWithAfterSpace(std::string_view expected) const
    {
        std::size_t at = at_;
        while (at < text_.size() && IsSpace(text_[at]))
            ++at;
        return text_.substr(at).starts_with(expected);
    }

    // The next element must start here; whitespace before it is its own rule.
    std::optional<LiteralRefusal> element(std::string_view expected, LiteralRule rule,
                                          const char* what)
    {
        if (whitespaceNext())
            return whitespace();
        if (!take(expected))
            return refuse(rule, std::string("expected ") + what);
        return std::nullopt;
    }

    // Moves to the next `c`; false when there is none.
    bool skipPast(char c)
    {
        const std::size_t found = text_.find(c, at_);
        if (found == std::string_view::npos)
            return false;
        at_ = found + 1;
        return true;
    }

    std::optional<LiteralRefusal> attributes()
    {
        for (const std::string_view name : kAttributes) {
            const std::size_t start = at_;
            if (!take(" ") || !take(name) || !take("=\"") || !skipPast('"')) {
                at_ = start;
                return refuse(LiteralRule::Attributes,
                              "expected ' " + std::string(name) +
                                  "=\"...\"': DATA's attributes are type, room, region, order, "
                                  "priority in that order, one space apart");
            }
        }
        if (!take(">"))
            return refuse(LiteralRule::Attributes, "expected '>' after priority");
        return std::nullopt;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

} // namespace

const char* LiteralRuleName(LiteralRule rule)
{
    switch (rule) {
    case LiteralRule::Buffer:
        return "buffer";
    case LiteralRule::Declaration:
        return "declaration";
    case LiteralRule::Whitespace:
        return "whitespace";
    case LiteralRule::Envelope:
        return "envelope";
    case LiteralRule::Data:
        return "data";
    case LiteralRule::Attributes:
        return "attributes";
    case LiteralRule::OneData:
        return "one-data";
    case LiteralRule::Ip:
        return "ip";
    case LiteralRule::End:
        return "end";
    }
    return "?";
}

std::optional<LiteralRefusal> LiteralReceiverRefusal(std::string_view datagram)
{
    return LiteralMatch(datagram).run();
}

} // namespace ccm
