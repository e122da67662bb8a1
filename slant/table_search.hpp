// The correction's search built at compile time for each entry of
// SLANT_PATTERNS. The cells of an entry's input rows are constants there, so
// the columns at which a row occurs come from a few shifts by constants
// instead of a walk over a list of cells; what is found is the same, since
// both take the same masks through search_hits.
#pragma once

#include <array>
#include <utility>

#include "hit_search.hpp"
#include "slant_masks.hpp"
#include "slant_patterns.hpp"

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
std::int64_t table_match(const Mask* set, const Mask* clear, std::int64_t w) {
    constexpr std::size_t count = static_cast<std::size_t>(SLANT_PATTERNS[E].input_count);
    Mask hits[count];
    [&]<std::size_t... K>(std::index_sequence<K...>) {
        ((hits[K] = table_row_hits<Mask, E, K>(set[K], clear[K])), ...);
    }
    (std::make_index_sequence<count>{});
    return search_hits(hits, count, w);
}

template <class Mask>
using TableMatch = std::int64_t (*)(const Mask* set, const Mask* clear, std::int64_t w);

template <class Mask>
inline constexpr std::array<TableMatch<Mask>, SLANT_PATTERN_COUNT> TABLE_MATCHES = [
]<std::size_t... E>(std::index_sequence<E...>) {
    return std::array<TableMatch<Mask>, SLANT_PATTERN_COUNT>{&table_match<Mask, E>...};
}
(std::make_index_sequence<SLANT_PATTERN_COUNT>{});

}  // namespace glyph
