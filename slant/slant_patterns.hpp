// The pixel patterns that repair the steps a slant leaves at band boundaries.
// Each entry finds a small configuration of set ("@") and clear (".") cells in
// the rows around a band boundary row and overwrites a few of them. Entries are
// kept in priority order.
#pragma once

#include <array>
#include <cstdint>

#include "byte_io.hpp"
#include "memory.hpp"

namespace glyph {

struct SlantPattern {
    std::int32_t correct;       // correction level 1..3; 0 ends a list
    std::int32_t input_count;   // input rows, 1..6
    std::int32_t input_offset;  // row of the first input row, relative to the boundary row
    std::array<const char*, 6> input_rows;
    std::int32_t output_count;   // output rows, 1..4
    std::int32_t output_offset;  // row of the first output row
    std::array<const char*, 4> output_rows;
};

// The built-in table: 34 entries, then a terminator whose numbers are all 0.
inline constexpr std::size_t SLANT_PATTERN_COUNT = 34;
extern const std::array<SlantPattern, SLANT_PATTERN_COUNT + 1> SLANT_PATTERNS;

// A working list: the admitted entries in table order, then an entry whose
// `correct` is 0.
using SlantPatternList = PodArray<SlantPattern>;

SlantPatternList load_slant_patterns(std::int32_t level);
void free_slant_patterns(SlantPatternList& list);

// The pattern table report for `level`.
void print_slant_patterns(ByteSink& out, std::int32_t level);

}  // namespace glyph
