// The tables of a face's global metrics and style: head, hhea, hmtx, maxp,
// OS/2 and post.
#pragma once

#include <cstdint>
#include <vector>

#include "otb_writer.hpp"
#include "strike_images.hpp"

namespace glyph::otb {

// The face in font units. A bitmap-only file has no outlines to scale, yet
// HarfBuzz (and so Pango) still takes advances from hmtx scaled by the size
// over unitsPerEm, and FreeType scales hmtx the same way for a glyph a strike
// lacks. unitsPerEm is therefore the largest strike's pixel size (times the
// smallest whole factor that makes it at least 16, the format's minimum), and
// hmtx holds that strike's advances in those units: exact at that strike and
// at any size in proportion to it. Smaller strikes of other proportions
// cannot be exact in one hmtx; their own advances are in EBLC/EBDT.
struct Design {
    const StrikeImages* reference = nullptr;  // the largest strike
    std::int64_t scale = 1;                   // font units per pixel of it
    std::int64_t units_per_em = 0;
    std::int64_t lowest_ppem = 0;
    std::vector<char32_t> codes;  // of glyphs 1..n
};

Design design_of(const std::vector<StrikeImages>& strikes, std::vector<char32_t> codes);

std::vector<std::uint8_t> head_table(const Design& design, const OtbStyle& style);
std::vector<std::uint8_t> hhea_table(const Design& design, const OtbStyle& style);
std::vector<std::uint8_t> hmtx_table(const Design& design);
std::vector<std::uint8_t> maxp_table(const Design& design);
std::vector<std::uint8_t> os2_table(const Design& design, const OtbStyle& style);
std::vector<std::uint8_t> post_table(const Design& design, const OtbStyle& style);

// post.italicAngle in 16.16 fixed point: -atan(1/N) degrees for a face
// slanted one pixel every N rows, 0 for an upright one.
std::int32_t italic_angle(const OtbStyle& style);

}  // namespace glyph::otb
