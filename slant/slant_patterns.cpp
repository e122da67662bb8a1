#include "slant_patterns.hpp"

#include <cstdio>

namespace glyph {

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
