// The characters of a font: its glyphs' encodings as Unicode code points.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "bdf_font.hpp"
#include "charset_map.hpp"

namespace glyph::family {

struct FontChars {
    // Code point -> glyph index, ascending by code point, each code point
    // once (the first glyph of an encoding written twice).
    std::vector<std::pair<char32_t, std::size_t>> chars;
    std::string error;  // a glyph no Unicode font can hold, named
};

// The characters of `font` through `map`: glyphs without an encoding, or
// with one the charset does not map, are left out. A Unicode font's glyph
// beyond U+10FFFF is an error.
FontChars font_chars(const BdfFont& font, const CharsetMap& map, bool unicode_font);

// The code points alone.
std::vector<char32_t> code_points(const FontChars& chars);

}  // namespace glyph::family
