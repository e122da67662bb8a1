// The character map: format 4 for the Basic Multilingual Plane (what older
// clients read) and format 12 for every code point, under the Unicode and
// the Windows platforms.
#pragma once

#include <cstdint>
#include <vector>

namespace glyph::otb {

// `codes` ascending and distinct; the glyph of codes[i] is i + 1.
std::vector<std::uint8_t> cmap_table(const std::vector<char32_t>& codes);

}  // namespace glyph::otb
