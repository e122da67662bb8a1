#include "bitmap.hpp"

#include <new>

namespace glyph {
namespace {

// Well above any preview a screen or a README holds, and far below what would
// overflow the index arithmetic.
constexpr std::int64_t MAX_SIDE = 1 << 20;
constexpr std::int64_t MAX_PIXELS = std::int64_t{1} << 30;

}  // namespace

Bitmap::Bitmap(std::int64_t width, std::int64_t height) {
    if (width < 0 || height < 0 || width > MAX_SIDE || height > MAX_SIDE ||
        width * height > MAX_PIXELS)
        throw std::bad_alloc();
    width_ = static_cast<int>(width);
    height_ = static_cast<int>(height);
    pixels_.assign(static_cast<std::size_t>(width * height), 0);
}

void draw(Bitmap& dst, const Bitmap& src, int x, int y) {
    for (int row = 0; row < src.height(); ++row) {
        int to_y = y + row;
        if (to_y < 0 || to_y >= dst.height()) continue;
        for (int col = 0; col < src.width(); ++col) {
            int to_x = x + col;
            if (to_x >= 0 && to_x < dst.width() && src.ink(col, row)) dst.set(to_x, to_y);
        }
    }
}

Bitmap scaled(const Bitmap& src, int factor) {
    Bitmap big(std::int64_t{src.width()} * factor, std::int64_t{src.height()} * factor);
    for (int y = 0; y < big.height(); ++y)
        for (int x = 0; x < big.width(); ++x)
            if (src.ink(x / factor, y / factor)) big.set(x, y);
    return big;
}

}  // namespace glyph
