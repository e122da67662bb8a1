// The bitmap strikes: EBLC locates every glyph's image and holds each
// strike's line metrics, EBDT holds the images.
#pragma once

#include <cstdint>
#include <vector>

#include "strike_images.hpp"

namespace glyph::otb {

// A strike's line metrics as the OpenType bitmap tables define them, from the
// trimmed images; but minAdvanceSB, see line_metrics().
struct LineMetrics {
    std::int64_t ascender = 0, descender = 0;  // descender negative, below the baseline
    std::int64_t width_max = 0;
    std::int64_t caret_rise = 1, caret_run = 0;
    std::int64_t min_origin_sb = 0, min_advance_sb = 0;
    std::int64_t max_before_bl = 0, min_after_bl = 0;
};

// rows_per_step: the slope of a slanted face, 0 for an upright one.
LineMetrics line_metrics(const StrikeImages& strike, std::int64_t rows_per_step);

struct BitmapTables {
    std::vector<std::uint8_t> eblc, ebdt;
};
BitmapTables bitmap_tables(const std::vector<StrikeImages>& strikes, std::int64_t rows_per_step);

}  // namespace glyph::otb
