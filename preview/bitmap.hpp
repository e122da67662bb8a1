// A one-bit picture, one byte per pixel so that drawing and scaling stay
// plain loops; both writers read it and nothing in it knows about fonts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "memory.hpp"

namespace glyph {

class Bitmap {
  public:
    Bitmap() = default;
    // A blank picture; throws std::bad_alloc when it would be unreasonably
    // large, and MemoryExhausted when its memory cannot be had (the run's
    // allocation cap included), so a huge text or scale fails like any other
    // memory shortage. The pixels come from the program's own allocator,
    // which reports a failure where operator new under a sanitizer would end
    // the run.
    Bitmap(std::int64_t width, std::int64_t height);

    // Whether a picture of this size may be asked for at all.
    static bool fits(std::int64_t width, std::int64_t height);

    int width() const { return width_; }
    int height() const { return height_; }
    bool ink(int x, int y) const { return pixels()[index(x, y)] != 0; }
    void set(int x, int y) { pixels()[index(x, y)] = 1; }

  private:
    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(x);
    }
    std::uint8_t* pixels() const { return static_cast<std::uint8_t*>(pixels_.get()); }
    int width_ = 0;
    int height_ = 0;
    MemBlock pixels_;
};

// A picture packed as a font library hands it over: `rows` rows of `width`
// pixels of `bits` bits each (1, 2, 4 or 8), the leftmost pixel in the high
// bits of a row's first byte. A row starts `pitch` bytes after the one above
// it; with a negative pitch the rows are stored bottom first from `buffer`.
struct PackedPicture {
    const unsigned char* buffer = nullptr;
    std::uint64_t width = 0;
    std::uint64_t rows = 0;
    std::int64_t pitch = 0;
    int bits = 0;
};

// The picture as ink and paper, a pixel being ink from half its range up. A
// picture without a pixel is an empty bitmap. Nothing when it cannot be read
// safely: no buffer, a pitch too short for a row, a pixel size not listed,
// or a size no bitmap may have.
std::optional<Bitmap> unpack_ink(const PackedPicture& packed);

// Adds the ink of `src` to `dst` with its top left corner at (x, y); what falls
// outside `dst` is dropped.
void draw(Bitmap& dst, const Bitmap& src, int x, int y);

// Every pixel as a `factor` by `factor` square.
Bitmap scaled(const Bitmap& src, int factor);

}  // namespace glyph
