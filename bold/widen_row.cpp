#include "widen_row.hpp"

#include <vector>

#include "hex_digits.hpp"

namespace glyph {

void widen_words(const std::uint64_t* in, std::uint64_t* out, std::size_t width, Widening side) {
    const std::size_t in_words = width / 64 + (width % 64 != 0 || width == 0);
    const std::size_t out_words = (width + 1) / 64 + ((width + 1) % 64 != 0);
    for (std::size_t k = 0; k < out_words; ++k) {
        std::uint64_t word = k < in_words ? in[k] : 0;
        const std::size_t first = 64 * k;  // the pixel in the top bit
        if (first >= width)
            word = 0;
        else if (width - first < 64)
            word &= ~(~std::uint64_t{0} >> (width - first));
        out[k] = word;
    }
    if (side != Widening::left) return;
    for (std::size_t k = out_words; k-- > 0;)
        out[k] = (out[k] >> 1) | (k > 0 ? out[k - 1] << 63 : 0);
}

std::string widened_hex_row(const char* text, std::size_t digits, std::size_t width,
                            Widening side) {
    std::vector<bool> pixels;
    bool ended = false;
    for (std::size_t d = 0; d < digits; ++d) {
        const unsigned char c = ended ? 0 : static_cast<unsigned char>(text[d]);
        ended = c == 0;
        for (int bit = 3; bit >= 0; --bit)
            pixels.push_back((hex_value(c) >> bit) & 1);
    }
    pixels.resize(width, false);
    if (side == Widening::left)
        pixels.insert(pixels.begin(), false);
    else
        pixels.push_back(false);
    std::string hex;
    for (std::size_t byte = 0; byte < (pixels.size() + 7) / 8; ++byte) {
        unsigned value = 0;
        for (std::size_t b = 0; b < 8; ++b) {
            const std::size_t x = 8 * byte + b;
            value = value << 1 | (x < pixels.size() && pixels[x]);
        }
        hex += "0123456789ABCDEF"[value >> 4];
        hex += "0123456789ABCDEF"[value & 15];
    }
    return hex;
}

}  // namespace glyph
