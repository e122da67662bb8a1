// Text set in a font, and the lines of several fonts stacked into one page,
// all as plain bitmaps.
#pragma once

#include <span>
#include <string_view>

#include "bitmap.hpp"
#include "ft_font.hpp"

namespace glyph {

// One line of `text` in `font`, from the pen's start at the left edge. It is
// as high as the font's ascent and descent, and wider or higher only where
// glyphs reach out of that. A character the font lacks shows as the outline of
// a box as wide as the font's typical character and as high as the line.
Bitmap set_line(Font& font, std::u32string_view text);

struct PageEntry {
    Bitmap label;
    Bitmap line;
};

// The entries one under another, each line under its label, with a margin
// round the whole: the picture a PNG shows.
Bitmap compose_page(std::span<const PageEntry> entries);

}  // namespace glyph
