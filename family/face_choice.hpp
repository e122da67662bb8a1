// The filter options a font maker would pick for a font of each class.
#pragma once

#include <string>
#include <vector>

#include "font_survey.hpp"

namespace glyph::family {

// The box that the slanting filters write with -b and N rows per step: the
// rows below the baseline lean left, those above it right.
Box balanced_slant_box(const Box& box, std::int64_t rows_per_step);

// The smallest number of rows per step from 3 to 16 whose -b slant keeps the
// font box within one pixel of the upright one on either side; 16 when none
// does.
std::int64_t cell_slant_step(const Box& font_box);

struct FaceOptions {
    std::vector<std::string> bold;     // glyphstout's
    std::vector<std::string> oblique;  // glyphslope's; glyphstoutslope gets both
};

// A proportional font gets its boxes and the advances of its inked glyphs
// widened, and a balanced slant; a
// monospaced one keeps its ink inside the cell: widened boxes only where
// they fit, and a slant steep enough to stay within a pixel of the cell.
FaceOptions choose_options(const FontSurvey& font);

}  // namespace glyph::family
