// Hexadecimal digits by table, in both directions.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace glyph {

// The value of a hex digit of either case; every other byte reads as 0.
inline constexpr std::array<std::uint8_t, 256> HEX_VALUE = [] {
    std::array<std::uint8_t, 256> t{};
    for (int c = '0'; c <= '9'; ++c)
        t[c] = std::uint8_t(c - '0');
    for (int c = 'a'; c <= 'f'; ++c)
        t[c] = std::uint8_t(c - 'a' + 10);
    for (int c = 'A'; c <= 'F'; ++c)
        t[c] = std::uint8_t(c - 'A' + 10);
    return t;
}();

inline std::uint8_t hex_value(unsigned char c) {
    return HEX_VALUE[c];
}

// Writes the low `digits` hex digits of `value`, most significant first.
inline void put_hex_word(char* dst, std::uint32_t value, std::size_t digits, bool upper) {
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    for (std::size_t i = digits; i > 0; --i) {
        dst[i - 1] = set[value & 0xf];
        value >>= 4;
    }
}

}  // namespace glyph
