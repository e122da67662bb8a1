// The glyph section of the two slanting tools: boxes are held against the
// slanted font box and written widened; the rows of a glyph are collected and,
// at its ENDCHAR, corrected, shifted and handed to the tool's row writer.
//
// Rows are kept as bits and corrected word-parallel when the glyph is at most
// BitCorrection<Bits128>::MAX_WIDTH pixels wide; wider glyphs, and every glyph
// while the reference paths are switched on, go through the cell grid.
#pragma once

#include <memory>

#include "bit_correction.hpp"
#include "cell_grid.hpp"
#include "glyph_loop.hpp"
#include "row_bands.hpp"
#include "slant_geometry.hpp"
#include "slant_masks.hpp"
#include "slant_patterns.hpp"

namespace glyph {

class SlantSection : public GlyphSection {
  public:
    SlantSection(const BoxSize& font, const ToolOptions& options, ByteSink& out);

    bool accepts(const BoxSize& box) const override;
    void take_box(const BoxSize& box) override { glyph_ = box; }
    void begin_bitmap() override { rows_read_ = 0; }
    void bitmap_row(const Line& line) override;
    std::size_t take_rows(const char* first, const char* last) override;
    void end_glyph() override;

  protected:
    // Whether the glyph in hand has its box widened (-w).
    bool glyph_widened() const { return glyph_.widened; }
    // Writes the glyph's `count` slanted rows from the cell grid, each `width` cells wide.
    virtual void write_rows(CellGrid& grid, std::int64_t width, std::int32_t count) = 0;
    // Writes the glyph's `count` slanted rows of `width` pixels, held one
    // after the other in `words` words each (at least one, enough for the
    // row's bytes), pixel 0 in the top bit of a row's first word and every
    // bit past the row clear.
    virtual void write_bit_rows(const std::uint64_t* rows, std::size_t count, std::size_t words,
                                std::size_t width) = 0;
    // Row i of a glyph of fewer than 64 pixels as a word, slanted as it is
    // read from the corrected rows: the rows need not be stored first.
    struct SlantedWords {
        BitCorrection<std::uint64_t>::CorrectedRows corrected;
        std::size_t extra;
        RowBands bands;
        std::uint64_t operator()(std::size_t i) const {
            return corrected(i) >> (extra - bands.band(i));
        }
    };
    // Writes the `count` rows of `width` pixels (< 64) that `rows` gives.
    virtual void write_slanted_words(const SlantedWords& rows, std::size_t count,
                                     std::size_t width) = 0;
    ByteSink& out_;

  private:
    // A row read as at most this many cells is kept as bits.
    static constexpr std::size_t MAX_BIT_CELLS = 128;

    void keep_row_bits(const Line& line, std::size_t cells);
    void grow_rows(std::size_t held);
    void move_rows_to_grid();
    void slant_cells();
    template <class Mask>
    void slant_bits(BitCorrection<Mask>& correction);

    BoxSize font_;
    BoxSize glyph_;
    std::int64_t font_slanted_width_;
    std::int32_t ratio_;  // rows per step of slant
    SlantPatternList patterns_;
    SlantMasks masks_;
    bool reference_;
    // The cell grid is sized for every glyph as if its rows were cells, so a
    // glyph too large for memory fails alike on both paths.
    CellGrid grid_;
    std::size_t rows_read_ = 0;
    bool rows_in_grid_ = false;  // this glyph's rows are cells in the grid
    // The rows read as bits: two words a row, and the cells each was read as
    // (the row count they have room for is row_cells_'s capacity).
    PodArray<std::uint64_t> row_bits_;
    PodArray<std::uint8_t> row_cells_;
    BitCorrection<std::uint64_t> narrow_;
    BitCorrection<Bits128> wide_;
    PodArray<std::uint64_t> slanted_;  // the glyph's slanted rows
};

}  // namespace glyph
