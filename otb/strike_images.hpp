// The glyphs of one strike as the file stores them: each image cut down to
// its ink, so that no client takes blank columns for part of the glyph.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bdf_font.hpp"
#include "otb_writer.hpp"

namespace glyph::otb {

struct GlyphImage {
    const family::BdfGlyph* source = nullptr;
    std::int64_t width = 0, height = 0;  // 0 x 0 for a glyph without ink
    std::int64_t bearing_x = 0;          // from the origin to the left of the ink
    std::int64_t bearing_y = 0;          // from the baseline to the top of the ink
    std::int64_t advance = 0;
    std::int64_t first_column = 0, first_row = 0;  // of the ink in the source bitmap
};

struct StrikeImages {
    const family::BdfFont* font = nullptr;
    std::int64_t ppem = 0;                 // PIXEL_SIZE, else the font box height
    std::int64_t ascent = 0, descent = 0;  // FONT_ASCENT/DESCENT, else the font box
    std::vector<GlyphImage> glyphs;        // glyph id - 1, in code point order
};

// The trimmed images of a strike's characters, or an error naming the font
// and the glyph that cannot be stored.
struct StrikeResult {
    StrikeImages strike;
    std::string error;
};
StrikeResult trim_strike(const OtbStrike& strike);

// "FONT NAME: glyph NAME (U+0041)" for messages.
std::string glyph_label(const family::BdfFont& font, const family::BdfGlyph& glyph, char32_t code);

}  // namespace glyph::otb
