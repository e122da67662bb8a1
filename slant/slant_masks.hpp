// The slant patterns compiled once per run for the word-parallel correction:
// every row of an entry as bit masks of its cells, cell t of a row in bit
// 63 - t, the same order in which glyph pixels are held.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "slant_patterns.hpp"

namespace glyph {

struct MaskedInputRow {
    std::uint64_t set = 0;    // cells "@"
    std::uint64_t clear = 0;  // cells "."
};

constexpr MaskedInputRow mask_input_row(const char* text) {
    MaskedInputRow row;
    for (std::size_t t = 0; text[t] != '\0'; ++t) {
        if (text[t] == '@') row.set |= std::uint64_t{1} << (63 - t);
        if (text[t] == '.') row.clear |= std::uint64_t{1} << (63 - t);
    }
    return row;
}

struct MaskedOutputRow {
    std::uint64_t written = 0;  // every cell of the row
    std::uint64_t set = 0;      // "@": set, and matched by later entries
    std::uint64_t clear = 0;    // ".": clear, and matched by later entries
    std::uint64_t lit = 0;      // "@" and "$": the set pixels written
};

constexpr MaskedOutputRow mask_output_row(const char* text) {
    MaskedOutputRow row;
    for (std::size_t t = 0; text[t] != '\0'; ++t) {
        const std::uint64_t bit = std::uint64_t{1} << (63 - t);
        row.written |= bit;
        if (text[t] == '@') row.set |= bit;
        if (text[t] == '.') row.clear |= bit;
        if (text[t] == '@' || text[t] == '$') row.lit |= bit;
    }
    return row;
}

// One cell that a match needs: input row `row`, cell `cell`.
struct MaskedCell {
    std::uint8_t row;
    std::uint8_t cell;
};

struct MaskedPattern {
    // The entry of SLANT_PATTERNS this one is a copy of, or -1: the correction
    // has a search built for each of them.
    std::int32_t table_entry = -1;
    std::int32_t input_offset = 0;
    std::int32_t input_count = 0;
    std::int32_t output_offset = 0;
    std::int32_t output_count = 0;
    // The first of the FILTER_CELLS cells of each row that the filter reads.
    std::int32_t filter_offset = 0;
    std::array<MaskedInputRow, 6> input{};
    std::array<MaskedOutputRow, 4> output{};
    // The set cells and the clear cells of all input rows, for finding the
    // columns of each row a cell at a time.
    std::array<MaskedCell, 36> set_cells{};
    std::array<MaskedCell, 36> clear_cells{};
    std::size_t set_cell_count = 0;
    std::size_t clear_cell_count = 0;
};

// Which entries the rows around a band boundary admit at one column: for
// each code of FILTER_CELLS cells of the FILTER_ROWS rows from that column
// ("@" as 1), the set of entries (bit e for entry e) whose input rows agree
// with the code when the entry's filter window (its cells from
// `filter_offset` on) lies at that column. The code takes the rows' cells a
// column at a time, the first column in the top bits and the first row's
// cell on top in each: a code that a shift reads off the rows held with
// their bits interleaved. An entry that does not reach a row, and a cell past
// the end of an input row, admit either kind. A cell the code shows as clear
// may hold "$" or ",", which no input row matches, so the filter admits a
// superset.
inline constexpr std::size_t FILTER_ROWS = 4;
inline constexpr std::size_t FILTER_CELLS = 3;
// The filter's rows, relative to the band boundary row: the two on either
// side of the boundary tell most entries apart.
inline constexpr std::array<std::int32_t, FILTER_ROWS> FILTER_ROW_OFFSETS = {-2, -1, 0, 1};
struct RowFilter {
    std::array<std::uint64_t, std::size_t{1} << (FILTER_ROWS * FILTER_CELLS)> admits{};
};

inline constexpr std::size_t REACH_ROWS = 8;

struct SlantMasks {
    std::array<MaskedPattern, SLANT_PATTERN_COUNT> entries{};
    std::size_t count = 0;
    // Rows, relative to a band boundary row, in which every entry has a set
    // cell: where one of them holds no set cell, no entry can match.
    std::array<std::int32_t, 8> needed_rows{};
    std::size_t needed_count = 0;
    RowFilter filter;
    // The fewest cells that any entry has from its filter window on, up to
    // and including its last set cell, less one: a set cell cannot lie on
    // the right pad, so the filter finds no entry in the last `right_trim` + 1
    // columns of a work row. One less where an entry of the list may write a
    // set cell onto the pad.
    std::int32_t right_trim = -1;
    // The entries whose input rows begin at most k rows above a boundary
    // row (reach_up[k]) and end at most k rows below it, the clear row below
    // the glyph counted (reach_down[k]); the last of each holds every entry.
    std::array<std::uint64_t, REACH_ROWS + 1> reach_up{}, reach_down{};
    // Whether every entry lies within REACH_ROWS rows of the boundary row,
    // so that the two sets are exact.
    bool reach_exact = true;
    // Of each entry, what the correction looks up first, held close.
    struct Head {
        std::int32_t input_offset;
        std::int32_t table_entry;
    };
    std::array<Head, SLANT_PATTERN_COUNT> heads{};
};

// Compiles a working list (up to its terminating entry).
SlantMasks compile_slant_masks(const SlantPattern* list);

}  // namespace glyph
