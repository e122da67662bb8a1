// Runs of bitmap rows taken straight from the input's block. Inside a bitmap
// nearly every line is a row of a few hex digits and its newline; these read
// such rows with the digit count fixed at compile time, and leave every other
// line (a glyph keyword, a row whose newline is not among its first sixteen
// bytes, the last bytes of the block) to the line loop. The next row's start
// is known before a row is read, so rows do not wait for one another.
#pragma once

#include <cstddef>
#include <cstdint>

#include "byte_io.hpp"
#include "glyph_keywords.hpp"
#include "hex_rows.hpp"
#include "line_reader.hpp"

namespace glyph {

// The row of `Bytes` bytes (1 to 8) at p, of the `left` bytes there: its size
// and its digits, read as read_hex_word reads them, in `word`; 0 where the
// run ends.
template <std::size_t Bytes>
[[gnu::always_inline]] inline std::size_t run_row(const char* p, std::ptrdiff_t left,
                                                  std::uint64_t& word) {
    static_assert(Bytes >= 1 && Bytes <= 8);
    constexpr std::size_t digits = 2 * Bytes;
    if (left <= 16) return 0;  // the digits and the byte after them, or sixteen bytes
    std::uint8_t seen = 0;
    word = read_digits<digits>(p, seen);
    // The common row: all its digits, then its newline. No glyph keyword
    // reads so: each has a letter that is not a digit among its first three
    // bytes, or its newline there. Any other row is measured and read again
    // the careful way.
    if (p[digits] == '\n' && !(seen & (NUL_FLAG | NEWLINE_FLAG | OTHER_FLAG))) [[likely]]
        return digits + 1;
    // A STARTCHAR line is a row to the glyph section, but -a must see it.
    if (may_be_glyph_keyword(*p) || *p == 'S') {
        const std::size_t size = short_line_size(p);
        if (size == 0 || glyph_keyword(Line{p, size}) != GlyphKeyword::none ||
            has_keyword(Line{p, size}, "STARTCHAR"))
            return 0;
    }
    const std::size_t size = short_line_size(p);
    if (size != 0) word = read_hex_word(p, size, digits);
    return size;
}

// Writes the rows of `Bytes` bytes at the start of [first, last) as
// transform(row) in 2 * OutBytes digits (1 to 8) and a newline each; returns
// the bytes of the rows taken.
template <std::size_t Bytes, std::size_t OutBytes, class Transform>
std::size_t write_row_run(const char* first, const char* last, ByteSink& out, HexCase hex_case,
                          Transform transform) {
    static_assert(OutBytes >= 1 && OutBytes <= 8);
    constexpr std::size_t written = 2 * OutBytes + 1;
    const char* p = first;
    char* dst;
    std::size_t room = out.free_space(written, dst);
    char* start = dst;
    std::uint64_t row;
    while (const std::size_t size = run_row<Bytes>(p, last - p, row)) {
        if (room < written) {
            out.commit(static_cast<std::size_t>(dst - start));
            room = out.free_space(written, dst);
            start = dst;
        }
        dst = format_hex_row<OutBytes>(dst, transform(row), hex_case);
        room -= written;
        p += size;
    }
    out.commit(static_cast<std::size_t>(dst - start));
    return static_cast<std::size_t>(p - first);
}

// Hands the rows of `Bytes` bytes at the start of [first, last) to take(row)
// while it returns true; returns the bytes of the rows taken.
template <std::size_t Bytes, class Take>
std::size_t take_row_run(const char* first, const char* last, Take take) {
    const char* p = first;
    std::uint64_t row;
    while (const std::size_t size = run_row<Bytes>(p, last - p, row)) {
        if (!take(row)) break;
        p += size;
    }
    return static_cast<std::size_t>(p - first);
}

// Writes `count` rows of `Bytes` bytes, row i being the word row_at(i), in
// 2 * Bytes digits and a newline each.
template <std::size_t Bytes, class RowAt>
void write_word_rows(ByteSink& out, std::size_t count, HexCase hex_case, RowAt row_at) {
    constexpr std::size_t written = 2 * Bytes + 1;
    char* dst;
    std::size_t room = out.free_space(written, dst);
    char* start = dst;
    for (std::size_t i = 0; i < count; ++i) {
        if (room < written) {
            out.commit(static_cast<std::size_t>(dst - start));
            room = out.free_space(written, dst);
            start = dst;
        }
        dst = format_hex_row<Bytes>(dst, row_at(i), hex_case);
        room -= written;
    }
    out.commit(static_cast<std::size_t>(dst - start));
}

}  // namespace glyph
