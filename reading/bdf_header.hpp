// Everything a BDF font says before its glyphs: the FONT name, SIZE, the
// font box and the properties, and the scale of SWIDTH.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "bitmap_font.hpp"
#include "strike_glyphs.hpp"

namespace glyph::reading {

struct Property {
    std::string name;
    bool quoted = false;
    std::string text;         // a string's value, its quotes not doubled
    std::int64_t number = 0;  // an integer's
};

struct BdfHeader {
    std::string font_name;
    std::int64_t point_size = 0, resolution_x = 72, resolution_y = 72;  // SIZE
    std::int64_t box_width = 0, box_height = 0, box_x = 0, box_y = 0;   // FONTBOUNDINGBOX
    std::vector<Property> properties;
    // SWIDTH = DWIDTH * 72000 / (point size * resolution), as this fraction.
    std::int64_t swidth_numerator = 1000, swidth_denominator = 1;

    // The SWIDTH of an advance, rounded to the nearest, halves away from 0.
    std::int64_t swidth(std::int64_t dwidth) const;
};

// The properties the font keeps (every standard X11 one FreeType returns),
// with FONT_ASCENT and FONT_DESCENT from the strike where FreeType keeps them
// elsewhere; for a font that keeps none, properties made from its names, its
// OS/2 table and the strike.
// The standard X11 properties, in the order fonts conventionally list them.
std::span<const std::string_view> standard_properties();

BdfHeader make_bdf_header(const BitmapFont& font, const StrikeGlyphs& glyphs);

}  // namespace glyph::reading
