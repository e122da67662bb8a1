// Hexadecimal digits by table, in both directions.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

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

// HEX_VALUE with the NUL byte, the newline and every other byte that is not
// a digit flagged, so that a run of digits can be read without a test per
// character and checked once for an early end or a stray byte.
inline constexpr std::uint8_t NUL_FLAG = 0x10;
inline constexpr std::uint8_t NEWLINE_FLAG = 0x20;
inline constexpr std::uint8_t OTHER_FLAG = 0x40;
inline constexpr std::array<std::uint8_t, 256> HEX_NIBBLE = [] {
    std::array<std::uint8_t, 256> t = HEX_VALUE;
    for (std::size_t c = 0; c < 256; ++c)
        if (t[c] == 0 && c != '0') t[c] = OTHER_FLAG;
    t[0] = NUL_FLAG;
    t['\n'] = NEWLINE_FLAG;
    return t;
}();

// Two digits at once: indexed by the two bytes as they lie in memory (read
// as one 16-bit value), the byte they spell in the low half and the flags of
// HEX_NIBBLE of both in the high half. Reading a row a pair at a time halves
// the table lookups of the commonest rows.
inline constexpr std::size_t HEX_PAIR_FLAGS_SHIFT = 8;
extern const std::array<std::uint16_t, 65536> HEX_PAIR;

inline std::uint8_t hex_value(unsigned char c) {
    return HEX_VALUE[c];
}

enum class HexCase { upper, lower };

// The two digits of every byte value, as they lie in memory.
inline constexpr std::array<std::uint16_t, 256> hex_pairs(HexCase hex_case) {
    const char* set = hex_case == HexCase::upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::array<std::uint16_t, 256> t{};
    for (std::size_t b = 0; b < 256; ++b) {
        const auto high = static_cast<std::uint16_t>(static_cast<unsigned char>(set[b >> 4]));
        const auto low = static_cast<std::uint16_t>(static_cast<unsigned char>(set[b & 0xf]));
        t[b] = std::endian::native == std::endian::little
                   ? static_cast<std::uint16_t>(high | low << 8)
                   : static_cast<std::uint16_t>(high << 8 | low);
    }
    return t;
}
inline constexpr auto UPPER_PAIRS = hex_pairs(HexCase::upper);
inline constexpr auto LOWER_PAIRS = hex_pairs(HexCase::lower);

// Writes the low `digits` hex digits of `value`, most significant first.
inline void put_hex_word(char* dst, std::uint32_t value, std::size_t digits, bool upper) {
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    for (std::size_t i = digits; i > 0; --i) {
        dst[i - 1] = set[value & 0xf];
        value >>= 4;
    }
}

// Writes the top `bytes` (0..8) bytes of `word` as 2 * bytes digits.
inline void put_hex_bytes(char* dst, std::uint64_t word, std::size_t bytes, HexCase hex_case) {
    const auto& pairs = hex_case == HexCase::upper ? UPPER_PAIRS : LOWER_PAIRS;
    for (std::size_t i = 0; i < bytes; ++i)
        std::memcpy(dst + 2 * i, &pairs[(word >> (56 - 8 * i)) & 0xff], 2);
}

}  // namespace glyph
