// The BDF 2.1 text of a strike read through FreeType.
#pragma once

#include "bdf_header.hpp"
#include "bitmap_font.hpp"
#include "byte_io.hpp"
#include "strike_glyphs.hpp"

namespace glyph::reading {

void write_bdf_text(const BitmapFont& font, const StrikeGlyphs& glyphs, const BdfHeader& header,
                    ByteSink& out);

}  // namespace glyph::reading
