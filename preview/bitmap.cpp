#include "bitmap.hpp"

#include <new>

namespace glyph {
namespace {

// Well above any preview a screen or a README holds, and far below what would
// overflow the index arithmetic.
constexpr std::int64_t MAX_SIDE = 1 << 20;
constexpr std::int64_t MAX_PIXELS = std::int64_t{1} << 30;

}  // namespace

bool Bitmap::fits(std::int64_t width, std::int64_t height) {
    return width >= 0 && height >= 0 && width <= MAX_SIDE && height <= MAX_SIDE &&
           width * height <= MAX_PIXELS;
}

Bitmap::Bitmap(std::int64_t width, std::int64_t height) {
    if (!fits(width, height)) throw std::bad_alloc();
    pixels_ = calloc_or_die(static_cast<std::size_t>(width * height), 1);
    width_ = static_cast<int>(width);
    height_ = static_cast<int>(height);
}

std::optional<Bitmap> unpack_ink(const PackedPicture& packed) {
    const int bits = packed.bits;
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8) return std::nullopt;
    if (packed.width == 0 || packed.rows == 0) return Bitmap();
    // Both sides are at most 2^20, so no product below overflows.
    if (packed.width > static_cast<std::uint64_t>(MAX_SIDE) ||
        packed.rows > static_cast<std::uint64_t>(MAX_SIDE))
        return std::nullopt;
    const auto width = static_cast<std::int64_t>(packed.width);
    const auto rows = static_cast<std::int64_t>(packed.rows);
    if (!Bitmap::fits(width, rows) || !packed.buffer) return std::nullopt;
    // A pitch shorter than a row would read into the next row or, for the
    // last one, past the buffer; FreeType's buffers hold |pitch| * rows bytes.
    const std::int64_t row_bytes = (width * bits + 7) / 8;
    const std::int64_t pitch = packed.pitch;
    if (pitch < -MAX_PIXELS || pitch > MAX_PIXELS || (pitch < 0 ? -pitch : pitch) < row_bytes)
        return std::nullopt;
    Bitmap image(width, rows);
    const unsigned max = (1u << bits) - 1;
    const std::int64_t first = pitch < 0 ? -pitch * (rows - 1) : 0;
    for (std::int64_t y = 0; y < rows; ++y) {
        const unsigned char* row = packed.buffer + first + y * pitch;
        for (std::int64_t x = 0; x < width; ++x) {
            const std::int64_t bit = x * bits;
            const unsigned value = (row[bit / 8] >> (8 - bits - bit % 8)) & max;
            if (2 * value > max) image.set(static_cast<int>(x), static_cast<int>(y));
        }
    }
    return image;
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
