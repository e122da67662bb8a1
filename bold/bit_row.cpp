#include "bit_row.hpp"

#include "hex_digits.hpp"

namespace glyph {
namespace {

std::size_t words_for(std::size_t bytes) {
    return bytes == 0 ? 0 : (bytes - 1) / 4 + 1;
}

// dst = src moved one pixel left (towards pixel 0); a 0 enters at the right end.
void move_left(std::uint32_t* dst, const std::uint32_t* src, std::size_t words) {
    for (std::size_t k = 0; k + 1 < words; ++k)
        dst[k] = (src[k] << 1) | (src[k + 1] >> 31);
    dst[words - 1] = src[words - 1] << 1;
}

// dst = src moved one pixel right; a 0 enters at pixel 0. Runs backwards so
// that dst may be src.
void move_right(std::uint32_t* dst, const std::uint32_t* src, std::size_t words) {
    for (std::size_t k = words - 1; k > 0; --k)
        dst[k] = (src[k] >> 1) | (src[k - 1] << 31);
    dst[0] = src[0] >> 1;
}

}  // namespace

void BitRow::reserve(std::size_t bytes) {
    std::size_t words = words_for(bytes);
    if (words <= capacity_words_) return;
    image_.reserve(words);
    shifted_.reserve(words);
    guard_.reserve(words);
    capacity_words_ = words;
}

BitRow bit_row_new(std::size_t bytes) {
    BitRow row;
    row.reserve(bytes ? bytes : 1);
    return row;
}

void bit_row_free(BitRow& row) {
    row = BitRow();
}

std::size_t parse_hex_word(std::uint32_t& out, const char* text, std::size_t n) {
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == 0) {
            out = word;
            return i;
        }
        word |= std::uint32_t{hex_value(c)} << (28 - 4 * i);
    }
    out = word;
    return n;
}

void embolden_row(BitRow& row, const char* text, std::size_t bytes, bool left_shift,
                  bool reflect_left) {
    const std::size_t full = bytes / 4, rest = bytes % 4, words = words_for(bytes);
    if (words == 0) return;
    std::uint32_t* image = row.image();
    std::uint32_t* shifted = row.shifted();
    std::uint32_t* guard = row.guard();

    std::uint32_t* target = left_shift ? image : shifted;
    for (std::size_t k = 0; k < full; ++k)
        text += parse_hex_word(target[k], text, 8);
    if (rest != 0) parse_hex_word(target[full], text, 2 * rest);

    if (left_shift) {
        move_left(shifted, image, words);
    } else {
        move_right(image, shifted, words);
    }
    if (!reflect_left) {
        move_right(guard, image, words);
        for (std::size_t k = 0; k < words; ++k)
            image[k] |= shifted[k] & ~guard[k];
    } else {
        move_left(guard, shifted, words);
        for (std::size_t k = 0; k < words; ++k)
            image[k] = (image[k] & ~guard[k]) | shifted[k];
    }
}

void print_bit_row(ByteSink& out, const BitRow& row, std::size_t bytes) {
    const std::uint32_t* image = row.image();
    const std::size_t full = bytes / 4, rest = bytes % 4;
    std::size_t k = 0;
    // Whole words go out in chunks that fit the sink's buffer.
    while (k < full) {
        std::size_t chunk = full - k;
        if (chunk > out.buffer_capacity() / 8) chunk = out.buffer_capacity() / 8;
        char* p = out.reserve(chunk * 8);
        for (std::size_t i = 0; i < chunk; ++i, ++k)
            put_hex_word(p + 8 * i, image[k], 8, false);
        out.commit(chunk * 8);
    }
    if (rest != 0) {
        char digits[8];
        put_hex_word(digits, image[full] >> (32 - 8 * rest), 2 * rest, false);
        out.put(digits, 2 * rest);
    }
    out.put('\n');
}

}  // namespace glyph
