// The slant correction on glyph rows held as bit masks: every column of a row
// is tested at once. It finds and writes exactly what correct_slant_pixels
// finds and writes on cell rows; the tests hold the two against each other.
#pragma once

#include <cstddef>
#include <cstdint>

#include "memory.hpp"
#include "slant_masks.hpp"
#include "work_rows.hpp"

namespace glyph {

// A row of a glyph in a Mask (std::uint64_t or Bits128): pixel x in bit
// BITS - 1 - x, so the hex digits read straight into it. The correction's
// work rows put column j (the left pad being column 0) in the same bit.
template <class Mask>
class BitCorrection {
  public:
    // The widest glyph it corrects: a work row is the glyph and two pads.
    static constexpr std::int32_t MAX_WIDTH = static_cast<std::int32_t>(MASK_BITS<Mask>) - 2;

    // Corrects the n rows of a glyph w pixels wide (0 <= w <= MAX_WIDTH) at
    // every band boundary row; `rows` holds their pixels and gets the
    // corrected ones (the pixels "@" and "$"), cut to w.
    void correct(Mask* rows, const SlantMasks& masks, std::int32_t w, std::int32_t n,
                 std::int32_t ratio, std::int32_t phase = 0);

    // The same in steps, for a caller that holds its rows otherwise: takes
    // row i's pixels as row_at(i) for every i < n (n >= 0, w >= 0) ...
    template <class RowAt>
    void load(RowAt row_at, std::int32_t w, std::int32_t n) {
        make_room(w, n);
        // The padded copies: column 0 and column w + 1 are clear pads. The
        // rows' stores could reach the members, so the loop holds its own.
        Mask* const set = set_;
        Mask* const clear = clear_;
        Mask* const lit = lit_;
        const Mask pixels = pixels_, columns = columns_;
        for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
            const Mask cells = (row_at(i) & pixels) >> 1;
            set[i] = lit[i] = cells;
            clear[i] = columns & ~cells;
        }
    }
    // ... corrects them ...
    void correct_loaded(const SlantMasks& masks, std::int32_t ratio, std::int32_t phase = 0);
    // ... and gives them corrected: row i as corrected_rows()(i), a value a
    // loop can hold while it stores rows elsewhere.
    struct CorrectedRows {
        const Mask* lit;
        Mask pixels;
        Mask operator()(std::size_t i) const { return (lit[i] << 1) & pixels; }
    };
    CorrectedRows corrected_rows() const { return {lit_, pixels_}; }

  private:
    // Rows around a boundary row that the skip and the filters read reach at
    // most this far past the glyph; they read as clear there.
    static constexpr std::size_t GUARD_ROWS = 8;

    void make_room(std::int32_t w, std::int32_t n);
    void correct_boundary(const SlantMasks& masks, std::int64_t b);
    std::uint64_t candidates(const SlantMasks& masks, std::int64_t b) const;
    void row_hits(const MaskedPattern& entry, std::size_t top, Mask* hits) const;
    std::int64_t match_column(const MaskedPattern& entry, std::size_t top) const;
    bool apply(const MaskedPattern& entry, std::size_t first_row, std::int64_t col);
    int try_entry(const SlantMasks& masks, std::size_t e, SlantMasks::Head head, std::size_t top);
    bool in_glyph(const MaskedPattern& entry, std::int64_t top) const;
    WorkRows<Mask> work_rows() const { return {set_, clear_, lit_}; }

    // Work rows 0..n (see WorkRows); the rows of set_ have GUARD_ROWS clear
    // rows above and below them.
    PodArray<Mask> set_store_, clear_store_, lit_store_;
    Mask* set_ = nullptr;
    Mask* clear_ = nullptr;
    Mask* lit_ = nullptr;
    std::int32_t w_ = 0, n_ = 0;
    Mask columns_ = 0;  // the w + 2 columns of a work row
    Mask pixels_ = 0;   // the w pixels of a glyph row
    // The filter's scan for the glyph: the columns it reads codes at and,
    // for rows of at most 32 columns, the scan over them held interleaved.
    std::size_t scan_columns_ = 0;
    std::uint64_t (*scan_)(std::uint64_t low, std::uint64_t high,
                           const std::uint64_t* admits) = nullptr;
};

extern template class BitCorrection<std::uint64_t>;
extern template class BitCorrection<Bits128>;

}  // namespace glyph
