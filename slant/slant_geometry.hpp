// The geometry of a slanted glyph: bounding boxes widened by the slant, the
// pixel correction at band boundary rows, and the shift of every band.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cell_grid.hpp"
#include "header_pass.hpp"
#include "slant_patterns.hpp"

namespace glyph {

// Rows per one-pixel step of slant; also the band height of the correction,
// the divisor of the slant extra and the level of the pattern list.
inline constexpr std::int32_t SLANT_RATIO = 3;

// The number of pixels a box of height h grows by when slanted: (h - 1) / ratio
// for h >= 1; an empty box (h = 0) has no slant.
std::int32_t slant_extra(std::uint32_t height, std::int32_t ratio);

// The bounding-box hook of the slanting tools: reads a keyword and four numbers
// and writes the box widened by its slant extra, its x offset moved left by half
// of it (a box of width or height 0 stays as read).
bool slant_bbx(HookOutput& out, BoxSize& box, std::int32_t ratio, const Line& line);

// The hook with -b: bands are counted from the baseline, the row at height t
// (0 = the baseline row) in band floor(t / ratio), so a pixel on the baseline
// stays in place. The box grows by its bands but one, and its x offset moves
// by the band of its bottom row. A box of width or height 0 is as slant_bbx
// makes it.
bool slant_bbx_baseline(HookOutput& out, BoxSize& box, std::int32_t ratio, const Line& line);
bool slant_bbx_baseline_widened_left(HookOutput& out, BoxSize& box, std::int32_t ratio,
                                     const Line& line);
bool slant_bbx_baseline_widened_right(HookOutput& out, BoxSize& box, std::int32_t ratio,
                                      const Line& line);

// slant_bbx for the bold-oblique tool with -w: a box of non-zero width and
// height is written one pixel wider still on the side strokes grow towards.
bool slant_bbx_widened_left(HookOutput& out, BoxSize& box, std::int32_t ratio, const Line& line);
bool slant_bbx_widened_right(HookOutput& out, BoxSize& box, std::int32_t ratio, const Line& line);

// Repairs, at every band boundary row of the glyph in the first n cell rows,
// the configurations of the pattern list, in list order. Each row must hold at
// least w cells; afterwards it holds exactly w.
void correct_slant_pixels(CellGrid& grid, const SlantPattern* patterns, std::int32_t w,
                          std::int32_t n, std::int32_t ratio, std::int32_t phase = 0);

// Moves every band right by its slant offset, the top band furthest, filling
// with "#"; each of the n rows then holds w + (n - 1 + phase) / ratio cells.
void shift_slant_rows(CellGrid& grid, std::int32_t w, std::int32_t n, std::int32_t ratio,
                      std::int32_t phase = 0);

// count copies of ch and a NUL; returns buffer.
char* fill_chars(char* buffer, char ch, std::size_t count);

}  // namespace glyph
