// A row made one pixel wider for the bold rule (-w): cut to the glyph's own
// width, then a clear pixel added on the side strokes grow towards, so that
// a stroke at the glyph box's edge has a pixel to grow into.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "box_lines.hpp"

namespace glyph {

// A row of `width` pixels (width < 64) in one word, pixel 0 in the top bit:
// the row of width + 1 pixels.
inline std::uint64_t widen_word(std::uint64_t row, std::size_t width, Widening side) {
    row &= width == 0 ? 0 : ~(~std::uint64_t{0} >> width);
    return side == Widening::left ? row >> 1 : row;
}

// The same for a row in any number of words: `in` holds ceil(width / 64)
// words (at least one), `out` gets ceil((width + 1) / 64).
void widen_words(const std::uint64_t* in, std::uint64_t* out, std::size_t width, Widening side);

// The plain form, for the reference paths: the pixels of a row given as hex
// text (the first `digits` characters of the C string `text`, a non-hex
// character and the digits after the text's end reading as 0), cut to `width`
// and widened, as 2 * ceil((width + 1) / 8) uppercase digits.
std::string widened_hex_row(const char* text, std::size_t digits, std::size_t width, Widening side);

}  // namespace glyph
