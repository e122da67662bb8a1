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

#include "byte_io.hpp"
#include "hex_digits.hpp"

namespace glyph {

inline std::size_t words_for_bytes(std::size_t bytes) {
    return bytes / 8 + (bytes % 8 != 0);
}

// N digits of a text known to hold them; `seen` collects the flags of
// HEX_NIBBLE.
template <std::size_t N>
inline std::uint64_t read_digits(const char* text, std::uint8_t& seen) {
    std::uint64_t word = 0;
    for (std::size_t i = 0; i < N; ++i) {
        const std::uint8_t value = HEX_NIBBLE[static_cast<unsigned char>(text[i])];
        seen |= value;
        word |= std::uint64_t{value & 0xfu} << (60 - 4 * i);
    }
    return word;
}

// A row of text with a NUL byte among its first n characters.
std::uint64_t read_hex_word_to_nul(const char* text, std::size_t n);
std::uint64_t read_hex_word_any(const char* text, std::size_t n);

// Up to 16 digits into one word. The digit counts of rows up to 32 pixels
// wide are unrolled: they are nearly every row of every font.
inline std::uint64_t read_hex_word(const char* text, std::size_t size, std::size_t digits) {
    const std::size_t n = digits < size ? digits : size;
    std::uint8_t seen = 0;
    std::uint64_t word;
    switch (n) {
        case 2:
            word = read_digits<2>(text, seen);
            break;
        case 4:
            word = read_digits<4>(text, seen);
            break;
        case 6:
            word = read_digits<6>(text, seen);
            break;
        case 8:
            word = read_digits<8>(text, seen);
            break;
        default:
            return read_hex_word_any(text, n);
    }
    if (seen & NUL_FLAG) [[unlikely]]
        return read_hex_word_to_nul(text, n);
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
    switch (bytes) {
        case 1:
            put_bytes<1>(dst, word, pairs);
            break;
        case 2:
            put_bytes<2>(dst, word, pairs);
            break;
        case 3:
            put_bytes<3>(dst, word, pairs);
            break;
        case 4:
            put_bytes<4>(dst, word, pairs);
            break;
        default:
            put_hex_bytes(dst, word, bytes, hex_case);
            break;
    }
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
