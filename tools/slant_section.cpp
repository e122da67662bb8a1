#include "slant_section.hpp"

#include <algorithm>

#include "slant_geometry.hpp"

namespace glyph {

SlantSection::SlantSection(const BoxSize& font, ByteSink& out)
    : out_(out),
      font_(font),
      glyph_(font),
      font_slanted_width_(std::int64_t{font.extra} + font.width),
      patterns_(load_slant_patterns(SLANT_RATIO)) {}

// Held on slanted widths: a glyph lower than the font slants less and may be
// wider. The sums are taken without wrap-around.
bool SlantSection::accepts(const BoxSize& box) const {
    return !box.oversized() && std::int64_t{box.extra} + box.width <= font_slanted_width_ &&
           box.height <= font_.height;
}

void SlantSection::bitmap_row(const Line& line) {
    if (rows_read_ >= static_cast<std::size_t>(glyph_.height)) return;  // beyond the height
    grid_.ensure(cells_read_for(glyph_.width), rows_read_ + 1);
    hex_to_cells(grid_, glyph_.width, rows_read_, line.data);
    ++rows_read_;
}

void SlantSection::end_glyph() {
    const std::int32_t w = glyph_.width, h = glyph_.height;
    const std::size_t slanted =
        static_cast<std::size_t>(w) + static_cast<std::size_t>(glyph_.extra);
    grid_.ensure(std::max(cells_read_for(w), slanted), static_cast<std::size_t>(h));
    clear_missing_cells(grid_, w, rows_read_, static_cast<std::size_t>(h));
    correct_slant_pixels(grid_, patterns_.data(), w, h, SLANT_RATIO);
    shift_slant_rows(grid_, w, h, SLANT_RATIO);
    write_rows(grid_, std::int64_t{glyph_.extra} + w, h);
    rows_read_ = 0;  // a later ENDCHAR without BITMAP gets clear rows
}

}  // namespace glyph
