// The correction's search and writing built at compile time for each entry
// of SLANT_PATTERNS. The cells of an entry's rows are constants there, so the
// columns at which an input row occurs come from a few shifts by constants
// instead of a walk over a list of cells, and an output row is written with
// constant masks; what is found and written is the same, since both paths
// take the same masks through search_hits and write_output_row.
#pragma once

#include <array>
#include <utility>

#include "slant_patterns.hpp"
#include "work_rows.hpp"

namespace glyph {

// The columns at which input row K of table entry E occurs in a work row of
// cells "@" `set` and cells "." `clear`: column c, where cell t of the row's
// text is found at column c + t. Cells beyond the row are in neither mask, so
// an occurrence lies wholly within the row.
template <class Mask, std::size_t E, std::size_t K>
[[gnu::always_inline]] inline Mask table_row_hits(Mask set, Mask clear) {
    constexpr MaskedInputRow in = mask_input_row(SLANT_PATTERNS[E].input_rows[K]);
    return [&]<std::size_t... T>(std::index_sequence<T...>) {
        Mask hits = ~Mask{0};
        ((hits &= ((in.set >> (63 - T)) & 1) ? static_cast<Mask>(set << T) : ~Mask{0}), ...);
        ((hits &= ((in.clear >> (63 - T)) & 1) ? static_cast<Mask>(clear << T) : ~Mask{0}), ...);
        return hits;
    }
    (std::make_index_sequence<6>{});
}

// The column at which table entry E matches the work rows from `set` and
// `clear` on (its first input row's), or -1.
template <class Mask, std::size_t E>
[[gnu::always_inline]] inline std::int64_t table_match(const Mask* set, const Mask* clear,
                                                       std::int64_t w) {
    constexpr std::size_t count = static_cast<std::size_t>(SLANT_PATTERNS[E].input_count);
    Mask hits[count];
    [&]<std::size_t... K>(std::index_sequence<K...>) {
        ((hits[K] = table_row_hits<Mask, E, K>(set[K], clear[K])), ...);
    }
    (std::make_index_sequence<count>{});
    return search_hits(hits, count, w);
}

template <std::size_t E, std::size_t K>
inline constexpr MaskedOutputRow TABLE_OUTPUT_ROW =
    mask_output_row(SLANT_PATTERNS[E].output_rows[K]);

// Table entry E tried on the work rows from its first input row on: -1 if it
// does not match, else it is applied, and the result is 1 if it made a cell
// "@" or "." that was not so before, 0 if not.
// The rows come as three pointers rather than a WorkRows, which would be
// passed in memory.
template <class Mask, std::size_t E>
int table_try(Mask* set, Mask* clear, Mask* lit, std::int64_t w, Mask columns) {
    const WorkRows<Mask> rows{set, clear, lit};
    constexpr SlantPattern entry = SLANT_PATTERNS[E];
    const std::int64_t col = table_match<Mask, E>(rows.set, rows.clear, w);
    if (col < 0) return -1;
    constexpr std::size_t first =
        static_cast<std::size_t>(entry.output_offset - entry.input_offset);
    Mask enabled = 0;
    [&]<std::size_t... K>(std::index_sequence<K...>) {
        ((enabled |= write_output_row(rows, first + K, TABLE_OUTPUT_ROW<E, K>, col, columns)), ...);
    }
    (std::make_index_sequence<static_cast<std::size_t>(entry.output_count)>{});
    return enabled != 0;
}

template <class Mask>
using TableTry = int (*)(Mask* set, Mask* clear, Mask* lit, std::int64_t w, Mask columns);

template <class Mask>
inline constexpr std::array<TableTry<Mask>, SLANT_PATTERN_COUNT> TABLE_TRIES = [
]<std::size_t... E>(std::index_sequence<E...>) {
    return std::array<TableTry<Mask>, SLANT_PATTERN_COUNT>{&table_try<Mask, E>...};
}
(std::make_index_sequence<SLANT_PATTERN_COUNT>{});

}  // namespace glyph
