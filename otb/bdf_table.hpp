// The BDF properties of every strike, in the `BDF ` table that FreeType
// answers FT_Get_BDF_Property from once a strike is selected: how clients
// keep a bitmap font's XLFD fields (SPACING, CHARSET_REGISTRY, ...).
#pragma once

#include <cstdint>
#include <vector>

#include "strike_images.hpp"

namespace glyph::otb {

std::vector<std::uint8_t> bdf_table(const std::vector<StrikeImages>& strikes);

}  // namespace glyph::otb
