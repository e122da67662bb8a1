// One glyph held as rows of cell characters, one cell per pixel:
//   "." clear, "@" set, "$" set by the correction, "," cleared by the
//   correction, "#" fill added by the shift. "@" and "$" are the set pixels.
// Alongside the cell rows the grid keeps one more work row than cell rows, each
// two cells longer, as scratch for the correction, the shift and the hex text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "byte_io.hpp"
#include "memory.hpp"

namespace glyph {

class CellGrid {
  public:
    // Makes room for `rows` cell rows of up to `capacity` cells, keeping the
    // cells of the rows already held. The grid only ever grows, so its memory
    // follows the largest glyph actually met.
    void ensure(std::size_t capacity, std::size_t rows) {
        // A grid of no rows still has its work row.
        if (capacity > capacity_ || rows > rows_ || work_.capacity() == 0) grow(capacity, rows);
    }
    void release();

    std::size_t row_count() const { return rows_; }
    std::size_t capacity() const { return capacity_; }

    char* cell_row(std::size_t i) { return cells_.data() + i * cell_stride(); }
    std::size_t& cell_len(std::size_t i) { return cell_len_[i]; }
    std::string_view cells(std::size_t i) const {
        return {cells_.data() + i * cell_stride(), cell_len_[i]};
    }
    char* work_row(std::size_t i) { return work_.data() + i * work_stride(); }
    std::size_t& work_len(std::size_t i) { return work_len_[i]; }
    std::string_view work(std::size_t i) const {
        return {work_.data() + i * work_stride(), work_len_[i]};
    }

  private:
    void grow(std::size_t capacity, std::size_t rows);
    std::size_t cell_stride() const { return capacity_ + 1; }
    std::size_t work_stride() const { return capacity_ + 3; }

    std::size_t capacity_ = 0;
    std::size_t rows_ = 0;
    PodArray<char> cells_, work_;
    PodArray<std::size_t> cell_len_, work_len_;
};

CellGrid cell_grid_new(std::size_t capacity, std::size_t row_count);
void cell_grid_free(CellGrid& grid);

// Cells a bitmap row of `width` pixels is read into: 8 per hex byte, 8 for width 0.
std::size_t cells_read_for(std::int32_t width);

// Rewrites cell row `row_index` from one bitmap line (a C string): 2 * ceil(w/8)
// digits are read (2 for width 0), any non-hex character and the end of the
// text reading as four clear cells.
void hex_to_cells(CellGrid& grid, std::int32_t width, std::size_t row_index, const char* line);

// Rewrites cell row `row_index` with `cells` cells (at most 128) from a row
// held as bits, pixel 0 in the top bit of `high` and pixel 64 in that of
// `low`: the cells hex_to_cells makes of the same digits.
void bits_to_cells(CellGrid& grid, std::size_t row_index, std::uint64_t high, std::uint64_t low,
                   std::size_t cells);

// Cell rows from `from` to `count` - 1 become clear rows, as if an empty line
// had been read for each; rows below `from` shorter than `width` are cleared
// beyond their cells. Glyphs that supply fewer rows than their height, or that
// change width inside their bitmap, are made whole this way.
void clear_missing_cells(CellGrid& grid, std::int32_t width, std::size_t from, std::size_t count);

// Turns cell rows 0..count-1 into uppercase hex text in the work rows: a row of
// L cells becomes 2 * ceil(L/8) digits, "@" and "$" being the set bits.
void cells_to_hex(CellGrid& grid, std::int64_t width, std::int32_t count);

// cells_to_hex, then each row's text on a line of its own.
void print_hex_rows(ByteSink& out, CellGrid& grid, std::int64_t width, std::int32_t count);

}  // namespace glyph
