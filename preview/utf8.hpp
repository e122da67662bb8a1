// The text to show, and the labels, arrive as UTF-8 bytes from the command
// line and from file names, neither of which promises valid UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace glyph {

inline constexpr char32_t REPLACEMENT_CHARACTER = 0xFFFD;

// The code points of `bytes`. Each maximal part of an ill-formed sequence
// (a stray byte, an overlong form, a surrogate, a value past U+10FFFF, a
// sequence cut short) becomes one U+FFFD, as Unicode recommends, so a bad
// byte costs one box and never swallows the characters after it.
std::u32string decode_utf8(std::string_view bytes);

}  // namespace glyph
