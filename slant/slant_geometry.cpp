#include "slant_geometry.hpp"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "box_lines.hpp"
#include "row_bands.hpp"
#include "text_scan.hpp"

namespace glyph {

std::int32_t slant_extra(std::uint32_t height, std::int32_t ratio) {
    if (height == 0 || ratio == 0) return 0;
    std::uint32_t divisor =
        ratio < 0 ? 0u - static_cast<std::uint32_t>(ratio) : static_cast<std::uint32_t>(ratio);
    return static_cast<std::int32_t>((height - 1) / divisor);
}

namespace {

std::int64_t floor_div(std::int64_t a, std::int64_t b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

// The box's slant with bands counted from the baseline: the extra (its top
// band less its bottom band), the phase of its top row, and the band of its
// bottom row, by which the x offset moves.
struct BaselineBands {
    std::int64_t extra, phase, bottom;
};
BaselineBands baseline_bands(std::uint32_t height, std::int32_t y, std::int32_t ratio) {
    const std::int64_t n = ratio;
    const std::int64_t top = std::int64_t{y} + height - 1;  // the top row's height
    const std::int64_t bottom = floor_div(y, n);
    const std::int64_t top_band = floor_div(top, n);
    return {top_band - bottom, n - 1 - (top - top_band * n), bottom};
}

enum class Lean { top_row, baseline };

// The slanting hook, and with -w of the bold-oblique tool the slanted box
// widened by one more pixel on the growth side.
bool slant_box_line(HookOutput& out, BoxSize& box, std::int32_t ratio, const Line& line,
                    Widening side, Lean lean) {
    BoxFields f;
    if (!read_box_fields(line, f)) return false;
    const bool slanted = f.width.value != 0 && f.height.value != 0;
    std::int32_t extra = slant_extra(f.height.value, ratio);
    std::int32_t phase = 0;
    std::int32_t x = f.x;
    if (slanted && lean == Lean::baseline && ratio > 0) {
        // x + bottom is taken exactly, then wraps as the written offsets do.
        const BaselineBands bands = baseline_bands(f.height.value, f.y, ratio);
        extra = static_cast<std::int32_t>(bands.extra);
        phase = static_cast<std::int32_t>(bands.phase);
        x = static_cast<std::int32_t>(static_cast<std::uint32_t>(std::int64_t{x} + bands.bottom));
    } else if (slanted) {
        x = static_cast<std::int32_t>(static_cast<std::uint32_t>(x) -
                                      static_cast<std::uint32_t>(extra / 2));
    }
    box.width = static_cast<std::int32_t>(f.width.value);
    box.height = static_cast<std::int32_t>(f.height.value);
    box.extra = extra;
    box.phase = phase;
    box.width_oversized = f.width.oversized;
    box.height_oversized = f.height.oversized;
    box.widened = false;
    // The slanted width in full; written as its low 32 bits unless -w widens
    // it, which takes it without that wrap-around.
    std::uint64_t width = std::uint64_t{f.width.value} + (slanted ? std::uint64_t(extra) : 0);
    widen_box(box, side, width, x);
    if (!box.widened) width = static_cast<std::uint32_t>(width);
    write_box_line(out, f.keyword, width, f.height.value, x, f.y);
    return true;
}

}  // namespace

bool slant_bbx(HookOutput& out, BoxSize& box, std::int32_t ratio, const Line& line) {
    return slant_box_line(out, box, ratio, line, Widening::none, Lean::top_row);
}

bool slant_bbx_widened_left(HookOutput& out, BoxSize& box, std::int32_t ratio, const Line& line) {
    return slant_box_line(out, box, ratio, line, Widening::left, Lean::top_row);
}

bool slant_bbx_widened_right(HookOutput& out, BoxSize& box, std::int32_t ratio, const Line& line) {
    return slant_box_line(out, box, ratio, line, Widening::right, Lean::top_row);
}

bool slant_bbx_baseline(HookOutput& out, BoxSize& box, std::int32_t ratio, const Line& line) {
    return slant_box_line(out, box, ratio, line, Widening::none, Lean::baseline);
}

bool slant_bbx_baseline_widened_left(HookOutput& out, BoxSize& box, std::int32_t ratio,
                                     const Line& line) {
    return slant_box_line(out, box, ratio, line, Widening::left, Lean::baseline);
}

bool slant_bbx_baseline_widened_right(HookOutput& out, BoxSize& box, std::int32_t ratio,
                                      const Line& line) {
    return slant_box_line(out, box, ratio, line, Widening::right, Lean::baseline);
}

char* fill_chars(char* buffer, char ch, std::size_t count) {
    if (count != 0) std::memset(buffer, ch, count);
    buffer[count] = '\0';
    return buffer;
}

namespace {

// Finds input rows in the work rows by plain substring search.
class TextSearch {
  public:
    explicit TextSearch(const CellGrid& grid) : grid_(grid) {}

    // The leftmost occurrence of `needle` in work row `row` at `from` or further right.
    std::size_t find(std::size_t row, const char* needle, std::size_t from) const {
        std::string_view text = grid_.work(row);
        return from > text.size() ? std::string_view::npos : text.find(needle, from);
    }

  private:
    const CellGrid& grid_;
};

// The column where every input row of `entry` occurs, or npos: the leftmost
// occurrence of the first row; a later row found further right fails that
// column and the search goes on one column on, while col < w - 1; a later row
// found nowhere ends the search.
std::size_t match_column(const TextSearch& search, const SlantPattern& entry, std::size_t top,
                         std::int64_t w) {
    std::size_t col = 0;
    for (;;) {
        col = search.find(top, entry.input_rows[0], col);
        if (col == std::string_view::npos) return col;
        bool failed = false;
        for (std::int32_t k = 1; k < entry.input_count && !failed; ++k) {
            std::size_t at = search.find(top + static_cast<std::size_t>(k),
                                         entry.input_rows[static_cast<std::size_t>(k)], col);
            if (at == std::string_view::npos) return at;
            failed = at != col;
        }
        if (!failed) return col;
        ++col;
        if (static_cast<std::int64_t>(col) >= w - 1) return std::string_view::npos;
    }
}

void apply_outputs(CellGrid& grid, const SlantPattern& entry, std::size_t first_row,
                   std::size_t col) {
    for (std::int32_t k = 0; k < entry.output_count; ++k) {
        std::size_t r = first_row + static_cast<std::size_t>(k);
        std::string_view text = entry.output_rows[static_cast<std::size_t>(k)];
        // An output row never reaches past the pads of its row; the cut only
        // guards that promise of the table.
        std::size_t len = grid.work_len(r);
        std::size_t n = col < len ? std::min(text.size(), len - col) : 0;
        std::memcpy(grid.work_row(r) + col, text.data(), n);
    }
}

void correct_at_boundaries(CellGrid& grid, const SlantPattern* patterns, std::int32_t w,
                           std::int32_t n, std::int32_t ratio, std::int32_t phase) {
    for (std::int64_t b = first_boundary_row(ratio, phase); ratio > 0 && b < n; b += ratio) {
        for (const SlantPattern* entry = patterns; entry->correct > 0; ++entry) {
            std::int64_t top = b + entry->input_offset;
            if (top < 0 || top + entry->input_count > std::int64_t{n} + 1) continue;
            std::size_t col =
                match_column(TextSearch(grid), *entry, static_cast<std::size_t>(top), w);
            if (col == std::string_view::npos) continue;
            apply_outputs(grid, *entry, static_cast<std::size_t>(b + entry->output_offset), col);
        }
    }
}

}  // namespace

void correct_slant_pixels(CellGrid& grid, const SlantPattern* patterns, std::int32_t w,
                          std::int32_t n, std::int32_t ratio, std::int32_t phase) {
    if (n < 0 || w < 0) return;
    const std::size_t width = static_cast<std::size_t>(w);
    const std::size_t rows = static_cast<std::size_t>(n);
    for (std::size_t i = 0; i < rows; ++i) {
        char* work = grid.work_row(i);
        work[0] = '.';
        std::memcpy(work + 1, grid.cell_row(i), width);
        work[width + 1] = '.';
        work[width + 2] = '\0';
        grid.work_len(i) = width + 2;
    }
    fill_chars(grid.work_row(rows), '.', width + 2);
    grid.work_len(rows) = width + 2;

    if (first_boundary_row(ratio, phase) < n)
        correct_at_boundaries(grid, patterns, w, n, ratio, phase);

    for (std::size_t i = 0; i < rows; ++i) {
        std::memcpy(grid.cell_row(i), grid.work_row(i) + 1, width);
        grid.cell_len(i) = width;
    }
}

void shift_slant_rows(CellGrid& grid, std::int32_t w, std::int32_t n, std::int32_t ratio,
                      std::int32_t phase) {
    if (n <= 0 || w < 0 || ratio <= 0) return;
    const std::size_t width = static_cast<std::size_t>(w);
    const std::size_t p = static_cast<std::size_t>(phase);
    const std::size_t s = (static_cast<std::size_t>(n) - 1 + p) / static_cast<std::size_t>(ratio);
    for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
        std::memcpy(grid.work_row(i), grid.cell_row(i), width);
        grid.work_len(i) = width;
        std::size_t k = (i + p) / static_cast<std::size_t>(ratio);
        char* row = grid.cell_row(i);
        fill_chars(row, '#', width + s);
        std::memcpy(row + (s - k), grid.work_row(i), width);
        grid.cell_len(i) = width + s;
    }
}

}  // namespace glyph
