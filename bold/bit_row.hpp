// The bold form of one bitmap row: the row combined with a copy of itself moved
// one pixel sideways, with a rule that keeps one-pixel gaps between strokes
// open. The work is done on 32-bit words with carries between neighbours.
#pragma once

#include <cstddef>
#include <cstdint>

#include "byte_io.hpp"
#include "memory.hpp"

namespace glyph {

// Scratch words for one row: word k holds hex digits 8k..8k+7, pixel x is bit
// 31 - x % 32 of word x / 32. The contents are overwritten by every row.
class BitRow {
  public:
    // Room for rows of up to `bytes` bytes; grows on demand.
    void reserve(std::size_t bytes);

    std::uint32_t* image() { return image_.data(); }
    std::uint32_t* shifted() { return shifted_.data(); }
    std::uint32_t* guard() { return guard_.data(); }
    const std::uint32_t* image() const { return image_.data(); }

  private:
    std::size_t capacity_words_ = 0;
    PodArray<std::uint32_t> image_, shifted_, guard_;
};

BitRow bit_row_new(std::size_t bytes);
void bit_row_free(BitRow& row);

// Reads up to n (0..8) hex digits of `text` into the top of `out`; a NUL ends
// the text early, any other non-hex character reads as 0. Returns the number of
// characters consumed.
std::size_t parse_hex_word(std::uint32_t& out, const char* text, std::size_t n);

// Emboldens one row of `bytes` bytes given as NUL-terminated hex text; the
// result is left in row.image(). The row must have room for `bytes`.
void embolden_row(BitRow& row, const char* text, std::size_t bytes, bool left_shift,
                  bool reflect_left);

// Writes the row's first `bytes` bytes as 2 * bytes lowercase digits and a newline.
void print_bit_row(ByteSink& out, const BitRow& row, std::size_t bytes);

}  // namespace glyph
