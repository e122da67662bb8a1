// The glyph section of the two slanting tools: boxes are held against the
// slanted font box and written widened; the rows of a glyph are collected in a
// cell grid and, at its ENDCHAR, corrected, shifted and handed to the tool's
// row writer.
#pragma once

#include <memory>

#include "cell_grid.hpp"
#include "filter_driver.hpp"
#include "slant_patterns.hpp"

namespace glyph {

class SlantSection : public GlyphSection {
  public:
    SlantSection(const BoxSize& font, ByteSink& out);

    bool accepts(const BoxSize& box) const override;
    void take_box(const BoxSize& box) override { glyph_ = box; }
    void begin_bitmap() override { rows_read_ = 0; }
    void bitmap_row(const Line& line) override;
    void end_glyph() override;

  protected:
    // Writes the glyph's `count` slanted rows, each `width` cells wide.
    virtual void write_rows(CellGrid& grid, std::int64_t width, std::int32_t count) = 0;
    ByteSink& out_;

  private:
    BoxSize font_;
    BoxSize glyph_;
    std::int64_t font_slanted_width_;
    SlantPatternList patterns_;
    CellGrid grid_;
    std::size_t rows_read_ = 0;
};

}  // namespace glyph
