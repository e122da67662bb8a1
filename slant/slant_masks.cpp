#include "slant_masks.hpp"

#include <algorithm>
#include <cstring>

namespace glyph {
namespace {

std::uint64_t cell_bit(std::size_t t) {
    return std::uint64_t{1} << (63 - t);
}

void add_cells(std::uint64_t bits, std::uint8_t row, std::array<MaskedCell, 36>& cells,
               std::size_t& count) {
    for (std::size_t t = 0; t < 64; ++t)
        if (bits & cell_bit(t)) cells[count++] = {row, static_cast<std::uint8_t>(t)};
}

bool same_rows(const char* const* a, const char* const* b, std::int32_t count) {
    for (std::size_t k = 0; k < static_cast<std::size_t>(count); ++k)
        if (std::strcmp(a[k], b[k]) != 0) return false;
    return true;
}

bool same_entry(const SlantPattern& a, const SlantPattern& b) {
    return a.input_count == b.input_count && a.input_offset == b.input_offset &&
           a.output_count == b.output_count && a.output_offset == b.output_offset &&
           same_rows(a.input_rows.data(), b.input_rows.data(), a.input_count) &&
           same_rows(a.output_rows.data(), b.output_rows.data(), a.output_count);
}

std::int32_t table_entry_of(const SlantPattern& entry) {
    for (std::size_t i = 0; i < SLANT_PATTERN_COUNT; ++i)
        if (same_entry(entry, SLANT_PATTERNS[i])) return static_cast<std::int32_t>(i);
    return -1;
}

// The set cells of `p` in the filter's rows, cells `first` to first +
// FILTER_CELLS - 1.
std::size_t set_cells_seen(const MaskedPattern& p, std::size_t first) {
    const std::uint64_t window = (~std::uint64_t{0} << (64 - FILTER_CELLS)) >> first;
    std::size_t count = 0;
    for (const std::int32_t row : FILTER_ROW_OFFSETS) {
        const std::int32_t k = row - p.input_offset;
        if (k >= 0 && k < p.input_count)
            count += static_cast<std::size_t>(
                __builtin_popcountll(p.input[static_cast<std::size_t>(k)].set & window));
    }
    return count;
}

// An input row of the table has at most this many cells.
constexpr std::size_t MAX_ROW_CELLS = 6;

// The first cell of the window the filter reads of `p`: the one that shows
// the most set cells (the first of equals). Set cells are the rarer kind in a
// glyph, so they tell places apart; an entry whose first cells are all clear
// would otherwise be admitted almost everywhere.
std::int32_t filter_offset(const MaskedPattern& p) {
    std::size_t best = 0, best_count = set_cells_seen(p, 0);
    for (std::size_t first = 1; first + FILTER_CELLS <= MAX_ROW_CELLS; ++first)
        if (const std::size_t count = set_cells_seen(p, first); count > best_count) {
            best = first;
            best_count = count;
        }
    return static_cast<std::int32_t>(best);
}

MaskedPattern mask_pattern(const SlantPattern& entry) {
    MaskedPattern p;
    p.table_entry = table_entry_of(entry);
    p.input_offset = entry.input_offset;
    p.input_count = entry.input_count;
    p.output_offset = entry.output_offset;
    p.output_count = entry.output_count;
    for (std::size_t k = 0; k < static_cast<std::size_t>(entry.input_count); ++k) {
        p.input[k] = mask_input_row(entry.input_rows[k]);
        add_cells(p.input[k].set, static_cast<std::uint8_t>(k), p.set_cells, p.set_cell_count);
        add_cells(p.input[k].clear, static_cast<std::uint8_t>(k), p.clear_cells,
                  p.clear_cell_count);
    }
    for (std::size_t k = 0; k < static_cast<std::size_t>(entry.output_count); ++k)
        p.output[k] = mask_output_row(entry.output_rows[k]);
    p.filter_offset = filter_offset(p);
    return p;
}

// Whether input row k of `entry`, over the FILTER_CELLS cells of its filter
// window, agrees with `cells` (FILTER_CELLS bits, the first cell in the top
// bit).
bool row_admits(const MaskedPattern& entry, std::int32_t row, std::uint32_t cells) {
    const std::int32_t k = row - entry.input_offset;
    if (k < 0 || k >= entry.input_count) return true;
    const MaskedInputRow& in = entry.input[static_cast<std::size_t>(k)];
    for (std::size_t t = 0; t < FILTER_CELLS; ++t) {
        const bool set = (cells >> (FILTER_CELLS - 1 - t)) & 1;
        const std::uint64_t bit = cell_bit(static_cast<std::size_t>(entry.filter_offset) + t);
        if ((in.set & bit) && !set) return false;
        if ((in.clear & bit) && set) return false;
    }
    return true;
}

// The entries each code of one row's cells admits.
std::array<std::uint64_t, 1u << FILTER_CELLS> row_filter(const SlantMasks& masks,
                                                         std::int32_t row) {
    std::array<std::uint64_t, 1u << FILTER_CELLS> admits{};
    for (std::uint32_t cells = 0; cells < admits.size(); ++cells)
        for (std::size_t e = 0; e < masks.count; ++e)
            if (row_admits(masks.entries[e], row, cells)) admits[cells] |= std::uint64_t{1} << e;
    return admits;
}

RowFilter make_filter(const SlantMasks& masks) {
    RowFilter f;
    std::array<std::array<std::uint64_t, 1u << FILTER_CELLS>, FILTER_ROWS> by_row;
    for (std::size_t k = 0; k < FILTER_ROWS; ++k)
        by_row[k] = row_filter(masks, FILTER_ROW_OFFSETS[k]);
    constexpr std::size_t bits = FILTER_ROWS * FILTER_CELLS;
    for (std::uint32_t code = 0; code < f.admits.size(); ++code) {
        std::uint64_t admits = ~std::uint64_t{0};
        for (std::size_t k = 0; k < FILTER_ROWS; ++k) {
            std::uint32_t cells = 0;  // row k's cells, the first in the top bit
            for (std::size_t t = 0; t < FILTER_CELLS; ++t)
                cells |= ((code >> (bits - 1 - (FILTER_ROWS * t + k))) & 1)
                         << (FILTER_CELLS - 1 - t);
            admits &= by_row[k][cells];
        }
        f.admits[code] = admits;
    }
    return f;
}

// Rows -4 to 3 around the boundary are the reach of the whole table; rows
// from NEEDED_LOWEST up to NEEDED_HIGHEST are looked at for the skip.
constexpr std::int32_t NEEDED_LOWEST = -8, NEEDED_HIGHEST = 8;

// The rows of `p` (bit r - NEEDED_LOWEST for row r) that hold a set cell.
std::uint32_t rows_with_set_cells(const MaskedPattern& p) {
    std::uint32_t rows = 0;
    for (std::int32_t k = 0; k < p.input_count; ++k) {
        const std::int32_t row = p.input_offset + k;
        if (row >= NEEDED_LOWEST && row < NEEDED_HIGHEST &&
            p.input[static_cast<std::size_t>(k)].set)
            rows |= std::uint32_t{1} << (row - NEEDED_LOWEST);
    }
    return rows;
}

// The last cell of any input row of `p` that is "@", or -1.
std::int32_t last_set_cell(const MaskedPattern& p) {
    std::int32_t last = -1;
    for (std::size_t k = 0; k < static_cast<std::size_t>(p.input_count); ++k)
        if (p.input[k].set) last = std::max(last, 63 - __builtin_ctzll(p.input[k].set));
    return last;
}

// Whether `p` may write "@" onto the right pad of a work row. An input row's
// occurrence lies within its row, so an output cell "@" can land on the pad
// only at or past the last cell of the input row on the same row, and at
// that last cell only where it is ".": a cell "@" there was on the pad only
// if some entry had written it.
bool may_set_right_pad(const MaskedPattern& p) {
    for (std::int32_t k = 0; k < p.output_count; ++k) {
        const std::int32_t i = p.output_offset + k - p.input_offset;
        if (i < 0 || i >= p.input_count) return true;
        const MaskedInputRow& in = p.input[static_cast<std::size_t>(i)];
        const std::uint64_t cells = in.set | in.clear;
        // The cells of the input row before its last one, which never lie on the pad.
        const std::uint64_t inside = cells & (cells - 1);
        if (p.output[static_cast<std::size_t>(k)].set & ~inside & ~in.set) return true;
    }
    return false;
}

// Adds entry `bit` (`p`) to the reach sets of the masks.
void add_reach(SlantMasks& masks, const MaskedPattern& p, std::uint64_t bit) {
    const std::int64_t above = -std::int64_t{p.input_offset};
    const std::int64_t below = std::int64_t{p.input_offset} + p.input_count;
    const auto reach_rows = static_cast<std::int64_t>(REACH_ROWS);
    if (above > reach_rows || below > reach_rows) masks.reach_exact = false;
    for (std::size_t k = 0; k <= REACH_ROWS; ++k) {
        const auto reach = static_cast<std::int64_t>(k);
        if (k == REACH_ROWS || above <= reach) masks.reach_up[k] |= bit;
        if (k == REACH_ROWS || below <= reach) masks.reach_down[k] |= bit;
    }
}

}  // namespace

SlantMasks compile_slant_masks(const SlantPattern* list) {
    SlantMasks masks;
    std::uint32_t needed = ~std::uint32_t{0};
    bool pad_set = false;
    for (const SlantPattern* entry = list; entry->correct > 0; ++entry) {
        const MaskedPattern p = mask_pattern(*entry);
        pad_set = pad_set || may_set_right_pad(p);
        needed &= rows_with_set_cells(p);
        // The filter finds the entry at the column of its window's first cell.
        const std::int32_t last_set = last_set_cell(p) - p.filter_offset;
        masks.right_trim = masks.count == 0 ? last_set : std::min(masks.right_trim, last_set);
        masks.heads[masks.count] = {p.input_offset, p.table_entry};
        add_reach(masks, p, std::uint64_t{1} << masks.count);
        masks.entries[masks.count++] = p;
    }
    // Where an entry may set a pad cell, an entry may match with its last set
    // cell there, one column further right. No entry of the built-in table
    // does.
    if (pad_set) --masks.right_trim;
    for (std::int32_t r = NEEDED_LOWEST; r < NEEDED_HIGHEST && masks.count > 0; ++r)
        if ((needed >> (r - NEEDED_LOWEST)) & 1 && masks.needed_count < masks.needed_rows.size())
            masks.needed_rows[masks.needed_count++] = r;
    masks.filter = make_filter(masks);
    return masks;
}

}  // namespace glyph
