// Every glyph of the selected strike as FreeType gives it, monochrome: each
// code of the font's charmap in the charmap's order, then the glyphs no code
// reaches. Pictures are kept once per glyph in one block, however many codes
// share them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bitmap_font.hpp"
#include "memory.hpp"

namespace glyph::reading {

struct GlyphPicture {
    int width = 0;  // the stored box: bitmap width and rows, left and top
    int rows = 0;   // against the pen on the baseline
    int left = 0;
    int top = 0;
    int advance = 0;            // whole pixels
    std::size_t offset = 0;     // of its rows in StrikeGlyphs::bits
    std::size_t row_bytes = 0;  // (width + 7) / 8, bits past the width clear
};

struct StrikeGlyph {
    std::int64_t encoding = -1;  // the charmap's code; -1 for a glyph no code reaches
    std::uint32_t index = 0;     // FreeType's glyph index
    std::size_t picture = 0;     // into StrikeGlyphs::pictures
};

struct StrikeGlyphs {
    PodArray<StrikeGlyph> glyphs;
    std::size_t count = 0;
    PodArray<GlyphPicture> pictures;
    std::size_t picture_count = 0;
    PodArray<std::uint8_t> bits;
    std::size_t bits_used = 0;
    bool unicode = false;  // the codes are Unicode code points

    const std::uint8_t* rows(const GlyphPicture& p) const { return bits.data() + p.offset; }
};

// Selects the charmap (a font whose only charmap FreeType leaves unselected,
// as it does for X11 fonts of other charsets than Unicode, gets that one) and
// reads every glyph of the strike `font` has selected. FontError when a glyph
// of an X11 font cannot be read: leaving it out would lose it unseen.
StrikeGlyphs read_strike_glyphs(const BitmapFont& font);

}  // namespace glyph::reading
