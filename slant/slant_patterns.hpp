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
// It is visible at compile time, so that the correction can be built for it.
inline constexpr std::size_t SLANT_PATTERN_COUNT = 34;
// clang-format off
inline constexpr std::array<SlantPattern, SLANT_PATTERN_COUNT + 1> SLANT_PATTERNS = {{
    /*  0 */ {3, 5, -2, {"..@", ".@", ".@", "@..", "@."}, 1, -1, {".$"}},
    /*  1 */ {3, 5, -4, {"...", "@@@.", "..@.", ".@.", "@."}, 2, -2, {".$,", "$,"}},
    /*  2 */ {3, 5, -2, {".....@", "....@", "...@.", "..@.", "@@."}, 1, 0, {"...@$"}},
    /*  3 */ {3, 4, -3, {"...@", "...@", "..@.", "@@.."}, 1, -1, {".$@"}},
    /*  4 */ {3, 4, -3, {"..@", "..@", ".@.", "@.."}, 1, 0, {"@$"}},
    /*  5 */ {3, 4, -1, {".@", ".@", "@..", "@."}, 2, -1, {"$,", ",$"}},
    /*  6 */ {3, 4, -2, {"..@", "..@@", "@@..", ".@."}, 2, -1, {".$@", "@@$"}},
    /*  7 */ {3, 4, -2, {".@", ".@.", "@..", "@."}, 2, -1, {"$,", ",$"}},
    /*  8 */ {2, 3, -2, {"....@.", "..@@.", "@@..."}, 1, 0, {"@@$..."}},
    /*  9 */ {2, 3, -1, {"..@", ".@", ".@."}, 1, 0, {".,$"}},
    /* 10 */ {2, 3, -2, {".@", ".@", "@.@"}, 1, -1, {"$@"}},
    /* 11 */ {2, 3, -2, {".@", ".@.", "@.."}, 1, -1, {"$."}},
    /* 12 */ {2, 3, -2, {".@", ".@@", "@.."}, 1, -1, {"$@"}},
    /* 13 */ {2, 3, -1, {"..@", ".@.", "@@."}, 1, 0, {".,$"}},
    /* 14 */ {2, 3, -2, {"@@.", ".@.", "@.."}, 1, -1, {"$,"}},
    /* 15 */ {2, 3, -1, {"@.@", ".@.", "..."}, 1, 0, {".@$"}},
    /* 16 */ {2, 3, -1, {"..@", ".@.", ".@@"}, 1, 0, {".,$"}},
    /* 17 */ {3, 6, -2, {"..@.", "...@.", "...@.", "...@.", "..@.", "@@."}, 4, -1,
              {"..$,", "...@", "..$,", ".$,"}},
    /* 18 */ {3, 4, -1, {"@..", "@.@", ".@.", ".@."}, 1, 1, {"$@"}},
    /* 19 */ {3, 4, -3, {"@.", "@@@", ".@", ".@"}, 1, -1, {"$."}},
    /* 20 */ {3, 4, -3, {"..", "@@.", "..@.", "..@."}, 2, -2, {"@,", ".$,"}},
    /* 21 */ {3, 3, -2, {"@..", ".@", ".@"}, 1, -1, {"$."}},
    /* 22 */ {3, 4, -1, {".@.", ".@.", "..@.", "..@."}, 1, 0, {".,$"}},
    /* 23 */ {3, 4, -1, {".@.", "@@.", "..@.", "..@."}, 2, -1, {"@,", "@@$"}},
    /* 24 */ {2, 3, -1, {"@..", ".@@", ".."}, 1, 0, {".,@"}},
    /* 25 */ {2, 3, -2, {"@..", "@@.", ".@"}, 1, -1, {"$."}},
    /* 26 */ {2, 3, -2, {"@.@", ".@", ".@"}, 1, -1, {"$@"}},
    /* 27 */ {2, 3, -1, {".@.", ".@.", "..@."}, 1, 0, {"..$"}},
    /* 28 */ {2, 4, -1, {"@.", "@.", ".@@", ".."}, 2, 0, {",$", ".,$"}},
    /* 29 */ {2, 3, -1, {"@.", "@.", ".@@"}, 1, 0, {",$"}},
    /* 30 */ {2, 3, -2, {"..", "@@.", "..@"}, 1, -1, {"@,."}},
    /* 31 */ {1, 4, -2, {"..@", ".@", "@@@", ".."}, 2, -1, {"$@", "@,@"}},
    /* 32 */ {1, 3, -1, {".@..", "@.@.", ".@@."}, 1, 0, {"$"}},
    /* 33 */ {1, 2, -1, {".@", "@."}, 1, -1, {"$"}},
    /* end */ {0, 0, 0, {}, 0, 0, {}},
}};
// clang-format on

// A working list: the admitted entries in table order, then an entry whose
// `correct` is 0.
using SlantPatternList = PodArray<SlantPattern>;

SlantPatternList load_slant_patterns(std::int32_t level);
void free_slant_patterns(SlantPatternList& list);

// The pattern table report for `level`.
void print_slant_patterns(ByteSink& out, std::int32_t level);

}  // namespace glyph
