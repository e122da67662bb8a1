// Bounding-box lines read as a keyword and four numbers, and written back
// rebuilt from their fields: the keyword and four decimal numbers separated
// by single blanks, and a line end.
#pragma once

#include <cstdint>
#include <string_view>

#include "header_pass.hpp"
#include "line_reader.hpp"
#include "text_scan.hpp"

namespace glyph {

struct BoxFields {
    std::string_view keyword;  // at most 15 characters
    UnsignedField width, height;
    std::int32_t x = 0, y = 0;
};

// Reads a keyword and four numbers as a C library's "%15s%u%u%d%d" reads
// them from the line as a C string; false when it holds fewer.
bool read_box_fields(const Line& line, BoxFields& fields);

// Writes "KEYWORD WIDTH HEIGHT X Y\n" into `out`.
void write_box_line(HookOutput& out, std::string_view keyword, std::uint64_t width,
                    std::uint32_t height, std::int32_t x, std::int32_t y);

// The side on which the bold rule makes strokes grow, when boxes are widened
// by one pixel there (-w); `none` when they are not.
enum class Widening { none, left, right };

// Widens a box that is being written with `width` (the box as the tool writes
// it) and offset `x` by one pixel on the `side`, unless the box read has a
// width or height of 0: the width grows by one, and on the left the x offset
// moves one pixel left (wrapping as 32-bit arithmetic does). Marks the box
// widened, and oversized when the widened width would pass 2147483647.
void widen_box(BoxSize& box, Widening side, std::uint64_t& width, std::int32_t& x);

// The hooks of the bold tool with -w: a keyword and four numbers, the width
// and height at most 2147483647 as written; a box of width or height 0 is
// copied unchanged, any other written widened.
bool read_bbx_widened_left(HookOutput& out, BoxSize& box, std::int32_t ratio, const Line& line);
bool read_bbx_widened_right(HookOutput& out, BoxSize& box, std::int32_t ratio, const Line& line);

}  // namespace glyph
