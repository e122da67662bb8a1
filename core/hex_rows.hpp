// Bitmap rows held as 64-bit words, pixel 0 in the top bit of word 0 (the
// order of the hex digits), read from and written as hexadecimal text.
//
// A row is read as the bitmap readers of the tools read it: the text ends at
// its first NUL byte or after `size` characters; its first `digits`
// characters are the digits, a character that is not a hex digit reading as
// 0, and digits past the end of the text reading as 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#include "byte_io.hpp"
#include "hex_digits.hpp"

namespace glyph {

inline std::size_t words_for_bytes(std::size_t bytes) {
    return bytes / 8 + (bytes % 8 != 0);
}

// Calls f with `bytes` (1 to Max) as a std::integral_constant, so that a row
// of a few bytes is handled by code unrolled for its size; returns what f
// returns, or 0 for any other count.
template <std::size_t Max = 8, class F>
std::size_t with_row_bytes(std::size_t bytes, F&& f) {
    std::size_t result = 0;
    [&]<std::size_t... I>(std::index_sequence<I...>) {
        (void)((bytes == I + 1 &&
                (result = f(std::integral_constant<std::size_t, I + 1>{}), true)) ||
               ...);
    }
    (std::make_index_sequence<Max>{});
    return result;
}

// N digits (an even count) of a text known to hold them; `seen` collects the
// flags of HEX_NIBBLE.
template <std::size_t N>
inline std::uint64_t read_digits(const char* text, std::uint8_t& seen) {
    static_assert(N % 2 == 0 && N <= 16);
    std::uint64_t word = 0;
    std::uint32_t flags = 0;
    for (std::size_t i = 0; i < N / 2; ++i) {
        std::uint16_t pair;
        std::memcpy(&pair, text + 2 * i, 2);
        const std::uint32_t entry = HEX_PAIR[pair];
        flags |= entry;
        word |= std::uint64_t{entry & 0xffu} << (56 - 8 * i);
    }
    seen = static_cast<std::uint8_t>(seen | flags >> HEX_PAIR_FLAGS_SHIFT);
    return word;
}

// The first n characters of a text, up to a NUL byte among them.
std::uint64_t read_hex_word_any(const char* text, std::size_t n);

// Up to 16 digits into one word. The digit counts of rows up to 32 pixels
// wide are unrolled: they are nearly every row of every font.
inline std::uint64_t read_hex_word(const char* text, std::size_t size, std::size_t digits) {
    const std::size_t n = digits < size ? digits : size;
    std::uint8_t seen = 0;
    std::uint64_t word = 0;
    if (n % 2 != 0 || !with_row_bytes<4>(n / 2, [&](auto bytes) {
            word = read_digits<2 * bytes>(text, seen);
            return 1;
        }))
        return read_hex_word_any(text, n);
    if (seen & NUL_FLAG) [[unlikely]]
        return read_hex_word_any(text, n);  // the text ends at the NUL
    return word;
}

// Any number of digits into ceil(digits / 16) words.
void read_hex_row(const char* text, std::size_t size, std::size_t digits, std::uint64_t* words);

template <std::size_t Bytes>
inline void put_bytes(char* dst, std::uint64_t word, const std::array<std::uint16_t, 256>& pairs) {
    for (std::size_t i = 0; i < Bytes; ++i)
        std::memcpy(dst + 2 * i, &pairs[(word >> (56 - 8 * i)) & 0xff], 2);
}

// Writes more than eight bytes of a row, and its newline.
void put_wide_hex_row(ByteSink& sink, const std::uint64_t* words, std::size_t bytes,
                      HexCase hex_case);

// Formats the top Bytes bytes of `word` as 2 * Bytes digits and a newline at
// dst; returns the end of what it wrote.
template <std::size_t Bytes>
inline char* format_hex_row(char* dst, std::uint64_t word, HexCase hex_case) {
    put_bytes<Bytes>(dst, word, hex_case == HexCase::upper ? UPPER_PAIRS : LOWER_PAIRS);
    dst[2 * Bytes] = '\n';
    return dst + 2 * Bytes + 1;
}

// Formats a row of at most eight bytes, the top `bytes` bytes of `word`, as
// 2 * bytes digits and a newline at dst; returns the end of what it wrote.
inline char* format_hex_row(char* dst, std::uint64_t word, std::size_t bytes, HexCase hex_case) {
    const auto& pairs = hex_case == HexCase::upper ? UPPER_PAIRS : LOWER_PAIRS;
    if (!with_row_bytes<4>(bytes, [&](auto fixed) {
            put_bytes<fixed>(dst, word, pairs);
            return 1;
        }))
        put_hex_bytes(dst, word, bytes, hex_case);
    dst[2 * bytes] = '\n';
    return dst + 2 * bytes + 1;
}

// Writes the top `bytes` bytes of the words as 2 * bytes digits, then a newline.
inline void put_hex_row(ByteSink& sink, const std::uint64_t* words, std::size_t bytes,
                        HexCase hex_case) {
    if (bytes > 8) return put_wide_hex_row(sink, words, bytes, hex_case);
    char* p = sink.reserve(2 * bytes + 1);
    format_hex_row(p, words[0], bytes, hex_case);
    sink.commit(2 * bytes + 1);
}

}  // namespace glyph
