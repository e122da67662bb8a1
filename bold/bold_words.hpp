// The bold transform on rows held as 64-bit words (core/hex_rows.hpp), every
// bit past the row clear. This is the path the tools take; the BitRow
// transform beside it applies the same rule on 32-bit words and is the
// reference the tests hold this one against.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "byte_io.hpp"
#include "hex_rows.hpp"
#include "memory.hpp"
#include "row_runs.hpp"

namespace glyph {

struct BoldRule {
    bool left_shift = true;     // strokes grow to the left
    bool reflect_left = false;  // the left-edge rule at one-pixel gaps
};

// The bold rule on one word with its neighbours in pixel order (`before`
// holds the pixels left of `row`, `after` those right of it), so a row's
// words can be taken one at a time. With S(x) the pixel x of the row read:
//   left shift, right-edge rule:  S(x) | (S(x+1) & ~S(x-1))
//   left shift, left-edge rule:   S(x+1) | (S(x) & ~S(x+2))
//   right shift, right-edge rule: S(x-1) | (S(x) & ~S(x-2))
//   right shift, left-edge rule:  S(x) | (S(x-1) & ~S(x+1))
// Pixels outside the row count as clear. The reference's word array may end
// later than the row's bytes, but it holds clear pixels there too, so both
// give the same pixels wherever a row is written.
template <bool LeftShift, bool ReflectLeft>
inline std::uint64_t embolden_word(std::uint64_t row, std::uint64_t before, std::uint64_t after) {
    const std::uint64_t next1 = (row << 1) | (after >> 63);   // S(x+1)
    const std::uint64_t prev1 = (row >> 1) | (before << 63);  // S(x-1)
    if constexpr (LeftShift && !ReflectLeft) {
        return row | (next1 & ~prev1);
    } else if constexpr (LeftShift) {
        const std::uint64_t next2 = (row << 2) | (after >> 62);  // S(x+2)
        return next1 | (row & ~next2);
    } else if constexpr (!ReflectLeft) {
        const std::uint64_t prev2 = (row >> 2) | (before << 62);  // S(x-2)
        return prev1 | (row & ~prev2);
    } else {
        return row | (prev1 & ~next1);
    }
}

// Calls f with the rule as two std::bool_constant arguments, so that a loop
// over many rows is compiled once for each rule.
template <class F>
inline void with_bold_rule(BoldRule rule, F&& f) {
    if (rule.left_shift) {
        if (rule.reflect_left)
            f(std::true_type{}, std::true_type{});
        else
            f(std::true_type{}, std::false_type{});
    } else {
        if (rule.reflect_left)
            f(std::false_type{}, std::true_type{});
        else
            f(std::false_type{}, std::false_type{});
    }
}

inline std::uint64_t embolden_word(std::uint64_t row, std::uint64_t before, std::uint64_t after,
                                   BoldRule rule) {
    std::uint64_t bold = 0;
    with_bold_rule(rule, [&](auto left_shift, auto reflect_left) {
        bold = embolden_word<decltype(left_shift)::value, decltype(reflect_left)::value>(
            row, before, after);
    });
    return bold;
}

// Writes `count` rows of `bytes` bytes (1 to 8), row i being the word
// row_at(i), every row emboldened, as 2 * bytes lowercase digits and a
// newline each.
template <class RowAt>
void write_bold_word_rows(ByteSink& out, std::size_t count, std::size_t bytes, BoldRule rule,
                          RowAt row_at) {
    with_bold_rule(rule, [&](auto left_shift, auto reflect_left) {
        with_row_bytes(bytes, [&](auto fixed) {
            write_word_rows<fixed>(out, count, HexCase::lower, [row_at](std::size_t i) {
                return embolden_word<decltype(left_shift)::value, decltype(reflect_left)::value>(
                    row_at(i), 0, 0);
            });
            return 0;
        });
    });
}

// `out` = the bold form of the `count` words of `in` (out and in apart).
void embolden_words(const std::uint64_t* in, std::uint64_t* out, std::size_t count, BoldRule rule);

// Rows wider than eight bytes, out of line.
void write_wide_bold_words(ByteSink& sink, const std::uint64_t* words, std::size_t bytes,
                           BoldRule rule, PodArray<std::uint64_t>& scratch);
void write_wide_bold_row(ByteSink& sink, const char* text, std::size_t size, std::size_t bytes,
                         BoldRule rule, PodArray<std::uint64_t>& scratch);

// The bold form of a row of `bytes` bytes held in `words` (at least one word,
// clear past the row), written as 2 * bytes lowercase digits and a newline.
// `scratch` grows as a wide row needs.
inline void write_bold_words(ByteSink& sink, const std::uint64_t* words, std::size_t bytes,
                             BoldRule rule, PodArray<std::uint64_t>& scratch) {
    if (bytes > 8) return write_wide_bold_words(sink, words, bytes, rule, scratch);
    const std::uint64_t bold = embolden_word(words[0], 0, 0, rule);
    put_hex_row(sink, &bold, bytes, HexCase::lower);
}

// One bitmap row of the bold tool: `bytes` bytes read from the text
// text[0, size) as read_hex_row reads it, written bold.
inline void write_bold_row(ByteSink& sink, const char* text, std::size_t size, std::size_t bytes,
                           BoldRule rule, PodArray<std::uint64_t>& scratch) {
    if (bytes > 8) return write_wide_bold_row(sink, text, size, bytes, rule, scratch);
    const std::uint64_t row = read_hex_word(text, size, 2 * bytes);
    write_bold_words(sink, &row, bytes, rule, scratch);
}

}  // namespace glyph
