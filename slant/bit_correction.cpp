#include "bit_correction.hpp"

#include <algorithm>
#include <array>
#include <utility>

#include "row_bands.hpp"
#include "table_search.hpp"

namespace glyph {
namespace {

template <class Mask>
Mask top_bits(std::int64_t n) {
    constexpr std::int64_t bits = static_cast<std::int64_t>(MASK_BITS<Mask>);
    if (n <= 0) return 0;
    if (n >= bits) return ~Mask{0};
    return ~(~Mask{0} >> n);
}

// Byte b spread to every fourth bit of 32: bit i to bit 4 i.
constexpr std::array<std::uint32_t, 256> SPREAD_BYTE = [] {
    std::array<std::uint32_t, 256> spread{};
    for (std::uint32_t b = 0; b < 256; ++b)
        for (std::uint32_t i = 0; i < 8; ++i)
            spread[b] |= ((b >> i) & 1) << (4 * i);
    return spread;
}();

// Sixteen columns of a row, the first in the top bit, spread to every fourth
// bit of a word: column j to bit 60 - 4 j.
std::uint64_t spread_columns(std::uint64_t columns) {
    return std::uint64_t{SPREAD_BYTE[(columns >> 8) & 0xff]} << 32 | SPREAD_BYTE[columns & 0xff];
}

// Sixteen columns of the filter's rows, from column `first` on, with their
// bits interleaved: column first + j of row k in bit 63 - 4 j - k.
std::uint64_t interleave(const std::uint64_t (&rows)[FILTER_ROWS], std::size_t first) {
    std::uint64_t word = 0;
    for (std::size_t k = 0; k < FILTER_ROWS; ++k)
        word |= spread_columns(rows[k] >> (48 - first)) << (FILTER_ROWS - 1 - k);
    return word;
}

// The same for eight columns from column 16 on, the rest clear.
std::uint64_t interleave_eight(const std::uint64_t (&rows)[FILTER_ROWS]) {
    std::uint64_t word = 0;
    for (std::size_t k = 0; k < FILTER_ROWS; ++k)
        word |= std::uint64_t{SPREAD_BYTE[(rows[k] >> 40) & 0xff]} << (32 + FILTER_ROWS - 1 - k);
    return word;
}

// The filter's code at column C of rows interleaved sixteen columns to a
// word, columns 0 to 15 in `low` and 16 to 31 in `high`: the top bits after
// a shift, taken across the two words where the code straddles them.
template <std::size_t C>
std::size_t code_at(std::uint64_t low, std::uint64_t high) {
    constexpr std::size_t shift = 64 - FILTER_ROWS * FILTER_CELLS;
    if constexpr (C >= 16)
        return static_cast<std::size_t>((high << (4 * (C - 16))) >> shift);
    else if constexpr (4 * C + FILTER_ROWS * FILTER_CELLS <= 64)
        return static_cast<std::size_t>((low << (4 * C)) >> shift);
    else
        return static_cast<std::size_t>(((low << (4 * C)) | (high >> (64 - 4 * C))) >> shift);
}

// The entries the filter admits at some one of the first `Columns` columns.
// The column count is fixed, so each code is a shift or two and a mask.
template <std::size_t Columns>
std::uint64_t scan_interleaved(std::uint64_t low, std::uint64_t high, const std::uint64_t* admits) {
    std::uint64_t admitted = 0;
    [&]<std::size_t... C>(std::index_sequence<C...>) {
        ((admitted |= admits[code_at<C>(low, high)]), ...);
    }
    (std::make_index_sequence<Columns>{});
    return admitted;
}

using InterleavedScan = std::uint64_t (*)(std::uint64_t, std::uint64_t, const std::uint64_t*);
constexpr std::array<InterleavedScan, 33> INTERLEAVED_SCANS =
    []<std::size_t... C>(std::index_sequence<C...>) {
    return std::array<InterleavedScan, 33>{&scan_interleaved<C>...};
}
(std::make_index_sequence<33>{});

// The first FILTER_CELLS cells of a row (the first in the top bit) spread as
// the code holds them: cell t to bit 4 (FILTER_CELLS - 1 - t).
constexpr std::array<std::uint32_t, 1u << FILTER_CELLS> SPREAD_CELLS = [] {
    std::array<std::uint32_t, 1u << FILTER_CELLS> spread{};
    for (std::uint32_t cells = 0; cells < spread.size(); ++cells)
        for (std::uint32_t t = 0; t < FILTER_CELLS; ++t)
            spread[cells] |= ((cells >> t) & 1) << (FILTER_ROWS * t);
    return spread;
}();

}  // namespace

template <class Mask>
void BitCorrection<Mask>::correct(Mask* rows, const SlantMasks& masks, std::int32_t w,
                                  std::int32_t n, std::int32_t ratio, std::int32_t phase) {
    if (n < 0 || w < 0) return;
    load([rows](std::size_t i) { return rows[i]; }, w, n);
    correct_loaded(masks, ratio, phase);
    const CorrectedRows corrected = corrected_rows();
    for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i)
        rows[i] = corrected(i);
}

template <class Mask>
void BitCorrection<Mask>::make_room(std::int32_t w, std::int32_t n) {
    w_ = w;
    n_ = n;
    const std::size_t count = static_cast<std::size_t>(n) + 1;
    set_store_.reserve(count + 2 * GUARD_ROWS);
    clear_store_.reserve(count);
    lit_store_.reserve(count);
    set_ = set_store_.data() + GUARD_ROWS;
    clear_ = clear_store_.data();
    lit_ = lit_store_.data();
    std::fill(set_ - GUARD_ROWS, set_, Mask{0});
    std::fill(set_ + count, set_ + count + GUARD_ROWS, Mask{0});
    // Row n is a clear row below the glyph.
    set_[count - 1] = lit_[count - 1] = 0;
    columns_ = top_bits<Mask>(std::int64_t{w} + 2);
    clear_[count - 1] = columns_;
    pixels_ = top_bits<Mask>(w);
}

template <class Mask>
void BitCorrection<Mask>::correct_loaded(const SlantMasks& masks, std::int32_t ratio,
                                         std::int32_t phase) {
    // The columns at which an entry can begin, of the w + 2 of a work row,
    // and how the filter reads them.
    const std::size_t row_columns = static_cast<std::size_t>(w_) + 2;
    const std::int64_t open = std::int64_t{w_} + 1 - masks.right_trim;
    scan_columns_ = open > 0 ? static_cast<std::size_t>(open) : 0;
    scan_ = MASK_BITS<Mask> == 64 && row_columns <= 32 && scan_columns_ <= 32
                ? INTERLEAVED_SCANS[scan_columns_]
                : nullptr;
    for (std::int64_t b = first_boundary_row(ratio, phase); ratio > 0 && b < n_; b += ratio)
        correct_boundary(masks, b);
}

// The entry tried at the boundary whose rows begin at `top`: -1 if it does
// not match, else it is applied, and the result is 1 if it made a cell "@"
// or "." that was not so before, 0 if not. Entries of the table go by the
// code built for each.
template <class Mask>
[[gnu::always_inline]] inline int BitCorrection<Mask>::try_entry(const SlantMasks& masks,
                                                                 std::size_t e,
                                                                 SlantMasks::Head head,
                                                                 std::size_t top) {
    if (head.table_entry >= 0)
        return TABLE_TRIES<Mask>[static_cast<std::size_t>(head.table_entry)](
            set_ + top, clear_ + top, lit_ + top, w_, columns_);
    const MaskedPattern& entry = masks.entries[e];
    const std::int64_t col = match_column(entry, top);
    if (col < 0) return -1;
    return apply(entry, top + static_cast<std::size_t>(entry.output_offset - entry.input_offset),
                 col);
}

// Whether the entry's input rows from `top` lie within work rows 0 to n.
template <class Mask>
bool BitCorrection<Mask>::in_glyph(const MaskedPattern& entry, std::int64_t top) const {
    return top >= 0 && top + entry.input_count <= std::int64_t{n_} + 1;
}

template <class Mask>
void BitCorrection<Mask>::correct_boundary(const SlantMasks& masks, std::int64_t b) {
    // Nothing changes while no entry matches, so a boundary without a set
    // cell in a row every entry needs one in is passed over whole.
    for (std::size_t i = 0; i < masks.needed_count; ++i)
        if (!set_[b + masks.needed_rows[i]]) return;
    // The entries whose rows lie within the glyph and the clear row below it
    // (a superset where an entry reaches further than REACH_ROWS).
    const std::uint64_t in_reach =
        masks.reach_up[static_cast<std::size_t>(std::min<std::int64_t>(b, REACH_ROWS))] &
        masks.reach_down[static_cast<std::size_t>(std::min<std::int64_t>(n_ + 1 - b, REACH_ROWS))];
    // Entries are taken in list order among the candidates; an entry that
    // writes changes what the later ones see, so their candidates are made
    // anew from the rows as they are then.
    for (std::uint64_t left = candidates(masks, b) & in_reach; left != 0; left &= left - 1) {
        const std::size_t e = static_cast<std::size_t>(__builtin_ctzll(left));
        const SlantMasks::Head head = masks.heads[e];
        const std::int64_t top = b + head.input_offset;
        if (!masks.reach_exact && !in_glyph(masks.entries[e], top)) continue;
        if (try_entry(masks, e, head, static_cast<std::size_t>(top)) <= 0) continue;
        // Cells newly "@" or "." may let an entry match that the filters
        // ruled out; cells made "$" or "," let none.
        left = candidates(masks, b) & in_reach & ~((std::uint64_t{2} << e) - 1);
        left |= std::uint64_t{1} << e;  // cleared by the loop step
    }
}

// The entries that the filter admits at some column. Every column is
// tried, in a loop of the same length for every boundary of a glyph, so that
// nothing in it waits on a branch the processor cannot foresee.
template <class Mask>
std::uint64_t BitCorrection<Mask>::candidates(const SlantMasks& masks, std::int64_t b) const {
    Mask rows[FILTER_ROWS];
    for (std::size_t k = 0; k < FILTER_ROWS; ++k)
        rows[k] = set_[b + FILTER_ROW_OFFSETS[k]];
    const std::uint64_t* admits = masks.filter.admits.data();
    if constexpr (MASK_BITS<Mask> == 64) {
        if (scan_) {
            // The rows' bits interleaved: the code of a column is the top
            // bits, and four bits further down for the next column.
            const std::size_t row_columns = static_cast<std::size_t>(w_) + 2;
            const std::uint64_t high = row_columns <= 16   ? 0
                                       : row_columns <= 24 ? interleave_eight(rows)
                                                           : interleave(rows, 16);
            return scan_(interleave(rows, 0), high, admits);
        }
    }
    constexpr std::size_t shift = MASK_BITS<Mask> - FILTER_CELLS;
    std::uint64_t admitted = 0;
    for (std::size_t col = 0; col < scan_columns_; ++col) {
        std::size_t code = 0;
        for (std::size_t k = 0; k < FILTER_ROWS; ++k) {
            code |= std::size_t{SPREAD_CELLS[static_cast<std::size_t>(rows[k] >> shift)]}
                    << (FILTER_ROWS - 1 - k);
            rows[k] <<= 1;
        }
        admitted |= admits[code];
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

// The entry's match column from hit masks made a cell at a time.
template <class Mask>
std::int64_t BitCorrection<Mask>::match_column(const MaskedPattern& entry, std::size_t top) const {
    Mask hits[6];
    row_hits(entry, top, hits);
    return search_hits(hits, static_cast<std::size_t>(entry.input_count), w_);
}

// Writes the output rows from column col. Returns whether a cell became "@"
// or "." that was not so before.
template <class Mask>
bool BitCorrection<Mask>::apply(const MaskedPattern& entry, std::size_t first_row,
                                std::int64_t col) {
    Mask enabled = 0;
    for (std::size_t k = 0; k < static_cast<std::size_t>(entry.output_count); ++k)
        enabled |= write_output_row(work_rows(), first_row + k, entry.output[k], col, columns_);
    return enabled != 0;
}

template class BitCorrection<std::uint64_t>;
template class BitCorrection<Bits128>;

}  // namespace glyph
