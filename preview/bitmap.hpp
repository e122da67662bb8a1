// A one-bit picture, one byte per pixel so that drawing and scaling stay
// plain loops; both writers read it and nothing in it knows about fonts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace glyph {

class Bitmap {
  public:
    Bitmap() = default;
    // A blank picture; throws std::bad_alloc when it would be unreasonably
    // large, so a huge text or scale fails like any other memory shortage.
    Bitmap(std::int64_t width, std::int64_t height);

    int width() const { return width_; }
    int height() const { return height_; }
    bool ink(int x, int y) const { return pixels_[index(x, y)] != 0; }
    void set(int x, int y) { pixels_[index(x, y)] = 1; }

  private:
    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(x);
    }
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> pixels_;
};

// Adds the ink of `src` to `dst` with its top left corner at (x, y); what falls
// outside `dst` is dropped.
void draw(Bitmap& dst, const Bitmap& src, int x, int y);

// Every pixel as a `factor` by `factor` square.
Bitmap scaled(const Bitmap& src, int factor);

}  // namespace glyph
