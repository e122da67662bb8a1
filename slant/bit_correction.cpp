#include "bit_correction.hpp"

namespace glyph {
namespace {

template <class Mask>
Mask top_bits(std::int64_t n) {
    constexpr std::int64_t bits = static_cast<std::int64_t>(MASK_BITS<Mask>);
    if (n <= 0) return 0;
    if (n >= bits) return ~Mask{0};
    return ~(~Mask{0} >> n);
}

// Columns c and further right.
template <class Mask>
Mask from_column(std::int64_t c) {
    return c >= static_cast<std::int64_t>(MASK_BITS<Mask>) ? Mask{0} : ~Mask{0} >> c;
}

// A pattern row's cells, cell 0 in the top bit, moved into a Mask.
template <class Mask>
Mask widen(std::uint64_t cells) {
    return static_cast<Mask>(Mask{cells} << (MASK_BITS<Mask> - 64));
}

// The bits of a 32-bit value spread to the even bits of a 64-bit one: bit i
// to bit 2 i.
std::uint64_t spread_bits(std::uint64_t x) {
    x = (x | x << 16) & 0x0000ffff0000ffffu;
    x = (x | x << 8) & 0x00ff00ff00ff00ffu;
    x = (x | x << 4) & 0x0f0f0f0f0f0f0f0fu;
    x = (x | x << 2) & 0x3333333333333333u;
    return (x | x << 1) & 0x5555555555555555u;
}

// Two rows of at most 32 columns with their bits interleaved, column j of
// the first in bit 63 - 2 j and of the second in bit 62 - 2 j.
std::uint64_t interleave(std::uint64_t first, std::uint64_t second) {
    return spread_bits(first >> 32) << 1 | spread_bits(second >> 32);
}

// The leftmost column of a mask that is not empty.
std::int64_t first_column(std::uint64_t m) {
    return __builtin_clzll(m);
}
std::int64_t first_column(Bits128 m) {
    const std::uint64_t high = static_cast<std::uint64_t>(m >> 64);
    return high ? __builtin_clzll(high) : 64 + __builtin_clzll(static_cast<std::uint64_t>(m));
}

}  // namespace

template <class Mask>
void BitCorrection<Mask>::correct(Mask* rows, const SlantMasks& masks, std::int32_t w,
                                  std::int32_t n, std::int32_t ratio) {
    if (n < 0 || w < 0) return;
    w_ = w;
    n_ = n;
    const std::size_t count = static_cast<std::size_t>(n) + 1;
    set_.reserve(count);
    clear_.reserve(count);
    lit_.reserve(count);
    // The padded copies: column 0 and column w + 1 are clear pads, and row n
    // is a clear row below the glyph.
    const Mask pixels = top_bits<Mask>(w);
    columns_ = top_bits<Mask>(std::int64_t{w} + 2);
    for (std::size_t i = 0; i + 1 < count; ++i) {
        const Mask cells = (rows[i] & pixels) >> 1;
        set_[i] = lit_[i] = cells;
        clear_[i] = columns_ & ~cells;
    }
    set_[count - 1] = lit_[count - 1] = 0;
    clear_[count - 1] = columns_;
    for (std::int64_t b = ratio; ratio > 0 && b < n; b += ratio)
        correct_boundary(masks, b);
    for (std::size_t i = 0; i + 1 < count; ++i)
        rows[i] = (lit_[i] << 1) & pixels;
}

template <class Mask>
void BitCorrection<Mask>::correct_boundary(const SlantMasks& masks, std::int64_t b) {
    // Nothing changes while no entry matches, so a boundary without a set
    // cell in a row every entry needs one in is passed over whole.
    for (std::size_t i = 0; i < masks.needed_count; ++i) {
        const std::int64_t r = b + masks.needed_rows[i];
        if (r < 0 || r > n_ || !set_[static_cast<std::size_t>(r)]) return;
    }
    // Entries are taken in list order among the candidates; an entry that
    // writes changes what the later ones see, so their candidates are made
    // anew from the rows as they are then.
    for (std::uint64_t left = candidates(masks, b); left != 0; left &= left - 1) {
        const std::size_t e = static_cast<std::size_t>(__builtin_ctzll(left));
        const MaskedPattern& entry = masks.entries[e];
        const std::int64_t top = b + entry.input_offset;
        if (top < 0 || top + entry.input_count > std::int64_t{n_} + 1) continue;
        const std::int64_t col = match_column(entry, static_cast<std::size_t>(top));
        if (col < 0) continue;
        if (!apply(entry, static_cast<std::size_t>(b + entry.output_offset), col)) continue;
        // Cells newly "@" or "." may let an entry match that the filters
        // ruled out; cells made "$" or "," let none.
        left = candidates(masks, b) & ~((std::uint64_t{2} << e) - 1);
        left |= std::uint64_t{1} << e;  // cleared by the loop step
    }
}

template <class Mask>
Mask BitCorrection<Mask>::row_or_clear(std::int64_t r) const {
    return r < 0 || r > n_ ? Mask{0} : set_[static_cast<std::size_t>(r)];
}

// The entries that the row pair filters admit at some column. Every column
// is tried, in a loop of the same length for every boundary of a glyph, so
// that nothing in it waits on a branch the processor cannot foresee.
template <class Mask>
std::uint64_t BitCorrection<Mask>::candidates(const SlantMasks& masks, std::int64_t b) const {
    constexpr std::size_t shift = MASK_BITS<Mask> - FILTER_CELLS;
    const RowPairFilter& near = masks.filters[0];
    const RowPairFilter& far = masks.filters[1];
    // The rows move one cell left a column: shifts by a constant are cheaper
    // than shifts by a count.
    Mask a = row_or_clear(b + near.rows[0]), c = row_or_clear(b + near.rows[1]);
    Mask d = row_or_clear(b + far.rows[0]), e = row_or_clear(b + far.rows[1]);
    std::uint64_t admitted = 0;
    const std::size_t columns = static_cast<std::size_t>(w_) + 2;
    if constexpr (MASK_BITS<Mask> == 64) {
        if (columns <= 32) {
            // Both rows of a filter in one word: one shift moves both to the
            // next column, and the code is the top bits.
            constexpr std::size_t code_shift = 64 - 2 * FILTER_CELLS;
            std::uint64_t near_rows = interleave(a, c), far_rows = interleave(d, e);
            for (std::size_t col = 0; col < columns; ++col) {
                admitted |= near.admits_interleaved[near_rows >> code_shift] &
                            far.admits_interleaved[far_rows >> code_shift];
                near_rows <<= 2;
                far_rows <<= 2;
            }
            return admitted;
        }
    }
    for (std::size_t col = 0; col < columns; ++col) {
        const auto near_code =
            static_cast<std::size_t>((a >> shift) << FILTER_CELLS | (c >> shift));
        const auto far_code = static_cast<std::size_t>((d >> shift) << FILTER_CELLS | (e >> shift));
        admitted |= near.admits[near_code] & far.admits[far_code];
        a <<= 1;
        c <<= 1;
        d <<= 1;
        e <<= 1;
    }
    return admitted;
}

// The columns at which each input row of `entry` occurs in the work rows
// from `top`: cell t of an input row is found at column c + t. Cells beyond a
// row's w + 2 columns are in neither mask, so an occurrence lies wholly within
// the row.
template <class Mask>
void BitCorrection<Mask>::row_hits(const MaskedPattern& entry, std::size_t top, Mask* hits) const {
    for (std::size_t k = 0; k < static_cast<std::size_t>(entry.input_count); ++k)
        hits[k] = ~Mask{0};
    for (std::size_t i = 0; i < entry.set_cell_count; ++i) {
        const MaskedCell c = entry.set_cells[i];
        hits[c.row] &= set_[top + c.row] << c.cell;
    }
    for (std::size_t i = 0; i < entry.clear_cell_count; ++i) {
        const MaskedCell c = entry.clear_cells[i];
        hits[c.row] &= clear_[top + c.row] << c.cell;
    }
}

// The search of the reference, step for step, with "the leftmost occurrence
// at column col or further right" read off the hit masks: the first row's
// leftmost occurrence is the candidate; a later row found further right fails
// it and the search goes on one column on while that column is below w - 1;
// a later row found nowhere ends the search.
template <class Mask>
std::int64_t BitCorrection<Mask>::match_column(const MaskedPattern& entry, std::size_t top) const {
    Mask hits[6];
    row_hits(entry, top, hits);
    Mask everywhere = hits[0];
    for (std::size_t k = 1; k < static_cast<std::size_t>(entry.input_count); ++k)
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
        for (std::size_t k = 1; k < static_cast<std::size_t>(entry.input_count) && !failed; ++k) {
            const Mask found = hits[k] & from_column<Mask>(candidate);
            if (!found) return -1;
            failed = first_column(found) != candidate;
        }
        if (!failed) return candidate;
        col = candidate + 1;
        if (col >= std::int64_t{w_} - 1) return -1;
    }
}

// Writes the output rows from column col, cut at the end of each work row as
// the reference cuts them. Returns whether a cell became "@" or "." that was
// not so before.
template <class Mask>
bool BitCorrection<Mask>::apply(const MaskedPattern& entry, std::size_t first_row,
                                std::int64_t col) {
    Mask enabled = 0;
    for (std::size_t k = 0; k < static_cast<std::size_t>(entry.output_count); ++k) {
        const MaskedOutputRow& out = entry.output[k];
        const std::size_t r = first_row + k;
        const Mask written = (widen<Mask>(out.written) >> col) & columns_;
        const Mask set = (set_[r] & ~written) | ((widen<Mask>(out.set) >> col) & written);
        const Mask clear = (clear_[r] & ~written) | ((widen<Mask>(out.clear) >> col) & written);
        enabled |= (set & ~set_[r]) | (clear & ~clear_[r]);
        set_[r] = set;
        clear_[r] = clear;
        lit_[r] = (lit_[r] & ~written) | ((widen<Mask>(out.lit) >> col) & written);
    }
    return enabled != 0;
}

template class BitCorrection<std::uint64_t>;
template class BitCorrection<Bits128>;

}  // namespace glyph
