#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ccm {

// Why `text` cannot go into a field of our messages (a CCM type, an <IP>
// text, a unit, a node's name), or an empty string when it can. The fields
// are written unescaped and sent in Shift-JIS, so a text is refused when it
// is not UTF-8, holds a control character or one of <>&", has a character
// code page 932 cannot encode (it would go out as "?"), or is longer than
// `maxChars`. The reason reads after the field's name: "type " + reason.
std::string FieldTextFault(std::string_view text, std::size_t maxChars, bool mayBeEmpty);

} // namespace ccm
