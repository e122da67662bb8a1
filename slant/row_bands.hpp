// Where the bands of a slanted glyph lie: its band boundary rows, and the band
// of each row counted from its top band as the fast paths place rows, (i +
// phase) / ratio, taken by a multiply so that the ratio may be any from -s
// without a division per row.
#pragma once

#include <cstddef>
#include <cstdint>

namespace glyph {

// The first band boundary row of a glyph whose top band holds ratio - phase
// rows; the boundaries follow every ratio rows, and n rows have the slant
// extra (n - 1 + phase) / ratio.
inline std::int64_t first_boundary_row(std::int32_t ratio, std::int32_t phase) {
    return std::int64_t{ratio} - phase;
}

class RowBands {
  public:
    // ratio 1 to 16 (any positive one below 2^31 works), phase 0 to ratio - 1.
    RowBands(std::int32_t ratio, std::int32_t phase)
        : phase_(static_cast<std::uint64_t>(phase)),
          magic_((std::uint64_t{1} << 63) / static_cast<std::uint64_t>(ratio) + 1) {}

    // Exact for every row of a glyph: with x = i + phase below 2^32 and
    // magic = 2^63 / ratio + 1, x * magic / 2^63 exceeds x / ratio by less
    // than 2^-31, too little to reach the next whole number.
    std::size_t band(std::size_t i) const {
        __extension__ using Wide = unsigned __int128;
        return static_cast<std::size_t>((Wide{i + phase_} * magic_) >> 63);
    }

  private:
    std::uint64_t phase_;
    std::uint64_t magic_;
};

}  // namespace glyph
