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

// Columns c and further right.
template <class Mask>
Mask from_column(std::int64_t c) {
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

// The search of the correction, step for step, given the columns at which
// each of an entry's `count` input rows occurs (`hits`), with "the leftmost
// occurrence at column col or further right" read off them: the first row's
// leftmost occurrence is the candidate; a later row found further right fails
// it and the search goes on one column on while that column is below w - 1;
// a later row found nowhere ends the search. Returns the column, or -1.
template <class Mask>
[[gnu::always_inline]] inline std::int64_t search_hits(const Mask* hits, std::size_t count,
                                                       std::int64_t w) {
    Mask everywhere = hits[0];
    for (std::size_t k = 1; k < count; ++k)
        everywhere &= hits[k];
    // No column holds every row: however the search runs, it finds none.
    if (!everywhere) return -1;
    // The first row's leftmost occurrence holds them all: the search stops
    // at its first candidate.
    const std::int64_t leftmost = first_column(hits[0]);
    if (everywhere & (Mask{1} << (MASK_BITS<Mask> - 1 - static_cast<std::size_t>(leftmost))))
        return leftmost;
    std::int64_t col = 0;
    for (;;) {
        const Mask first = hits[0] & from_column<Mask>(col);
        if (!first) return -1;
        const std::int64_t candidate = first_column(first);
        bool failed = false;
        for (std::size_t k = 1; k < count && !failed; ++k) {
            const Mask found = hits[k] & from_column<Mask>(candidate);
            if (!found) return -1;
            failed = first_column(found) != candidate;
        }
        if (!failed) return candidate;
        col = candidate + 1;
        if (col >= w - 1) return -1;
    }
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
