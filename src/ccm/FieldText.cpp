#include "ccm/FieldText.h"

#include "ccm/Cp932Encoder.h"
#include "ccm/Utf8.h"

namespace ccm {

namespace {

bool breaksTheMessage(unsigned char byte)
{
    return byte < 0x20 || byte == 0x7F || byte == '<' || byte == '>' || byte == '&' || byte == '"';
}

} // namespace

std::string FieldTextFault(std::string_view text, std::size_t maxChars, bool mayBeEmpty)
{
    if (text.empty() && !mayBeEmpty)
        return "must not be empty";
    std::size_t chars = 0;
    bool ascii = true;
    for (std::size_t at = 0; at < text.size(); ++chars) {
        const std::size_t length = Utf8CharLength(text, at);
        if (length == 0)
            return "must be valid UTF-8";
        if (breaksTheMessage(static_cast<unsigned char>(text[at])))
            return "must not hold control characters or <>&\"";
        ascii = ascii && length == 1;
        at += length;
    }
    if (chars > maxChars)
        return "must be at most " + std::to_string(maxChars) + " characters, got " +
               std::to_string(chars);
    if (ascii)
        return {};
    // The converter is opened only for the rare text beyond ASCII.
    Cp932Encoder encoder;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8CharLength(text, at);
        const std::string_view character = text.substr(at, length);
        if (!encoder.encodable(character))
            return "must hold only characters Shift-JIS can encode, got '" +
                   std::string(character) + "'";
        at += length;
    }
    return {};
}

} // namespace ccm
