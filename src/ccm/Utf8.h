#pragma once

#include <cstddef>
#include <string_view>

namespace ccm {

// Length in bytes of the UTF-8 character at `at` (1 to 4), or 0 when the
// bytes there do not form a well-formed character (a stray continuation
// byte, an overlong form, a surrogate, a truncated sequence...). The message
// cut and the encoder both step through text with it, so they agree on what
// a character is.
std::size_t Utf8CharLength(std::string_view text, std::size_t at);
// The code point of the character of `length` bytes at `at`, a length that
// Utf8CharLength gave for it.
char32_t Utf8CodePoint(std::string_view text, std::size_t at, std::size_t length);

} // namespace ccm
