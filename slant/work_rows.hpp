// The correction's work rows held as bit masks, and the two things done to
// them: the search read off them, and the writing of an output row. A Mask
// (std::uint64_t or Bits128) holds column j of a work row (the left pad being
// column 0) in bit BITS - 1 - j.
#pragma once

#include <cstddef>
#include <cstdint>

#include "slant_masks.hpp"

namespace glyph {

__extension__ using Bits128 = unsigned __int128;

template <class Mask>
inline constexpr std::size_t MASK_BITS = sizeof(Mask) * 8;

// Work rows from some row on: the cells "@", the cells ".", and the cells "@"
// or "$". A cell in none of them is ",", which, like "$", no input row
// matches.
template <class Mask>
struct WorkRows {
    Mask* set;
    Mask* clear;
    Mask* lit;
};

// A pattern row's cells, cell 0 in the top bit, moved into a Mask.
template <class Mask>
constexpr Mask widen(std::uint64_t cells) {
    return static_cast<Mask>(Mask{cells} << (MASK_BITS<Mask> - 64));
}

// Columns c and further right (every column for c <= 0).
template <class Mask>
Mask from_column(std::int64_t c) {
    if (c <= 0) return ~Mask{0};
    return c >= static_cast<std::int64_t>(MASK_BITS<Mask>) ? Mask{0} : ~Mask{0} >> c;
}

// The leftmost column of a mask that is not empty.
inline std::int64_t first_column(std::uint64_t m) {
    return __builtin_clzll(m);
}
inline std::int64_t first_column(Bits128 m) {
    const std::uint64_t high = static_cast<std::uint64_t>(m >> 64);
    return high ? __builtin_clzll(high) : 64 + __builtin_clzll(static_cast<std::uint64_t>(m));
}

// The search of the correction, given the columns at which each of an
// entry's `count` input rows occurs (`hits`). Step by step it takes the first
// row's occurrences from the left as candidates; a later row found further
// right fails a candidate and the search goes on one column on while that
// column is below w - 1; a later row found nowhere ends it. Read off the
// masks that comes to one answer: let e be the leftmost column at which every
// row occurs. If there is none, no candidate succeeds and the search finds
// nothing. If there is one, every row occurs at e, so at each candidate left
// of e the first row that fails is found further right (at e at the latest)
// and the search goes on; it ends at e unless one of those failed candidates
// lay at column w - 2 or further right, where the search gives up. Returns
// the column, or -1.
template <class Mask>
[[gnu::always_inline]] inline std::int64_t search_hits(const Mask* hits, std::size_t count,
                                                       std::int64_t w) {
    Mask everywhere = hits[0];
    for (std::size_t k = 1; k < count; ++k)
        everywhere &= hits[k];
    if (!everywhere) return -1;
    const std::int64_t e = first_column(everywhere);
    const Mask failed = hits[0] & ~from_column<Mask>(e);  // the candidates left of e
    return failed & from_column<Mask>(w - 2) ? -1 : e;
}

// Writes an output row into work row r from column col on, cut at the end of
// the row (`columns`) as the reference cuts it. Returns the cells it made "@"
// or "." that were not so before.
template <class Mask>
[[gnu::always_inline]] inline Mask write_output_row(WorkRows<Mask> rows, std::size_t r,
                                                    const MaskedOutputRow& out, std::int64_t col,
                                                    Mask columns) {
    const Mask written = (widen<Mask>(out.written) >> col) & columns;
    const Mask set = (rows.set[r] & ~written) | ((widen<Mask>(out.set) >> col) & written);
    const Mask clear = (rows.clear[r] & ~written) | ((widen<Mask>(out.clear) >> col) & written);
    const Mask enabled = (set & ~rows.set[r]) | (clear & ~rows.clear[r]);
    rows.set[r] = set;
    rows.clear[r] = clear;
    rows.lit[r] = (rows.lit[r] & ~written) | ((widen<Mask>(out.lit) >> col) & written);
    return enabled;
}

}  // namespace glyph
