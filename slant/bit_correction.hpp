// The slant correction on glyph rows held as bit masks: every column of a row
// is tested at once. It finds and writes exactly what correct_slant_pixels
// finds and writes on cell rows; the tests hold the two against each other.
#pragma once

#include <cstddef>
#include <cstdint>

#include "memory.hpp"
#include "slant_masks.hpp"

namespace glyph {

__extension__ using Bits128 = unsigned __int128;

// A row of a glyph in a Mask (std::uint64_t or Bits128): pixel x in bit
// BITS - 1 - x, so the hex digits read straight into it. The correction's
// work rows put column j (the left pad being column 0) in the same bit.
template <class Mask>
inline constexpr std::size_t MASK_BITS = sizeof(Mask) * 8;

template <class Mask>
class BitCorrection {
  public:
    // The widest glyph it corrects: a work row is the glyph and two pads.
    static constexpr std::int32_t MAX_WIDTH = static_cast<std::int32_t>(MASK_BITS<Mask>) - 2;

    // Corrects the n rows of a glyph w pixels wide (0 <= w <= MAX_WIDTH) at
    // every band boundary row; `rows` holds their pixels and gets the
    // corrected ones (the pixels "@" and "$"), cut to w.
    void correct(Mask* rows, const SlantMasks& masks, std::int32_t w, std::int32_t n,
                 std::int32_t ratio);

  private:
    void correct_boundary(const SlantMasks& masks, std::int64_t b);
    std::uint64_t candidates(const SlantMasks& masks, std::int64_t b) const;
    Mask row_or_clear(std::int64_t r) const;
    void row_hits(const MaskedPattern& entry, std::size_t top, Mask* hits) const;
    std::int64_t match_column(const MaskedPattern& entry, std::size_t top) const;
    bool apply(const MaskedPattern& entry, std::size_t first_row, std::int64_t col);

    // Work rows 0..n: the cells "@", ".", and "@" or "$". A cell in none of
    // them is ",", which, like "$", no input row matches.
    PodArray<Mask> set_, clear_, lit_;
    std::int32_t w_ = 0, n_ = 0;
    Mask columns_ = 0;  // the w + 2 columns of a work row
};

extern template class BitCorrection<std::uint64_t>;
extern template class BitCorrection<Bits128>;

}  // namespace glyph
