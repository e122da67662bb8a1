#include "slant_patterns.hpp"

#include <cstdio>

namespace glyph {

// clang-format off
const std::array<SlantPattern, SLANT_PATTERN_COUNT + 1> SLANT_PATTERNS = {{
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

SlantPatternList load_slant_patterns(std::int32_t level) {
    SlantPatternList list(SLANT_PATTERN_COUNT + 1);
    std::size_t used = 0;
    for (const SlantPattern& entry : SLANT_PATTERNS) {
        if (entry.correct <= 0) break;
        if (entry.correct <= level) list[used++] = entry;
    }
    list[used] = SlantPattern{};
    return list;
}

void free_slant_patterns(SlantPatternList& list) {
    list.release();
}

namespace {

void put_row_line(ByteSink& out, std::int32_t row, const char* text) {
    char number[16];
    int n = std::snprintf(number, sizeof number, "%2d:\t", static_cast<int>(row));
    out.put(number, static_cast<std::size_t>(n));
    out.put(text);
    out.put('\n');
}

void put_block_head(ByteSink& out, const char* word, std::int32_t offset, std::int32_t count) {
    char head[48];
    int n = std::snprintf(head, sizeof head, "%s (%d, %d)\n", word, static_cast<int>(offset),
                          static_cast<int>(count));
    out.put(head, static_cast<std::size_t>(n));
}

}  // namespace

void print_slant_patterns(ByteSink& out, std::int32_t level) {
    SlantPatternList list = load_slant_patterns(level);
    out.put(
        "=== Pattern table ===\n"
        "Following patterns is for pixel correction in slant.\n"
        "Priority between patterns depends on pattern ID.\n"
        "\n");
    for (std::size_t i = 0; list[i].correct > 0; ++i) {
        const SlantPattern& p = list[i];
        char head[24];
        int n = std::snprintf(head, sizeof head, "correct %d\n", static_cast<int>(p.correct));
        out.put(head, static_cast<std::size_t>(n));
        put_block_head(out, "input", p.input_offset, p.input_count);
        for (std::int32_t k = 0; k < p.input_count; ++k)
            put_row_line(out, p.input_offset + k, p.input_rows[static_cast<std::size_t>(k)]);
        put_block_head(out, "output", p.output_offset, p.output_count);
        for (std::int32_t k = 0; k < p.output_count; ++k)
            put_row_line(out, p.output_offset + k, p.output_rows[static_cast<std::size_t>(k)]);
        out.put('\n');
    }
    out.put("=== End of Pattern table ===\n");
    free_slant_patterns(list);
}

}  // namespace glyph
