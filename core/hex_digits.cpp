#include "hex_digits.hpp"

namespace glyph {

// Computed at compile time where the compiler manages it (GCC does).
const std::array<std::uint16_t, 65536> HEX_PAIR = [] {
    std::array<std::uint16_t, 65536> t{};
    for (std::size_t first = 0; first < 256; ++first)
        for (std::size_t second = 0; second < 256; ++second) {
            const std::size_t index = std::endian::native == std::endian::little
                                          ? first | second << 8
                                          : first << 8 | second;
            const std::uint32_t value =
                (HEX_NIBBLE[first] & 0xfu) << 4 | (HEX_NIBBLE[second] & 0xfu);
            const std::uint32_t flags = (HEX_NIBBLE[first] | HEX_NIBBLE[second]) & 0xf0u;
            t[index] = static_cast<std::uint16_t>(value | flags << HEX_PAIR_FLAGS_SHIFT);
        }
    return t;
}();

}  // namespace glyph
