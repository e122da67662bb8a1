// What glyphfamily needs to know of a regular face before it derives the
// others: the family it belongs to, its size, and the class of font it is.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "bdf_font.hpp"

namespace glyph::family {

enum class Spacing { proportional, monospaced, cell };

struct FontSurvey {
    std::string family;           // FAMILY_NAME, else the family field of the FONT name
    std::string registry;         // CHARSET_REGISTRY, as written
    std::string encoding;         // CHARSET_ENCODING
    std::int64_t pixel_size = 0;  // PIXEL_SIZE, else the font box height
    Box font_box;
    Spacing spacing = Spacing::proportional;
    // Every glyph box of non-zero size, one pixel wider on the left, lies in
    // its cell: x - 1 >= 0 and x + width <= DWIDTH.
    bool widened_boxes_fit = true;
    std::int64_t glyphs = 0;
};

// What the font tells of itself and its glyphs.
FontSurvey survey_font(const BdfFont& font);

// The survey of a font's text, or `error` saying why it is no whole BDF font.
struct SurveyResult {
    FontSurvey font;
    std::string error;
};
SurveyResult survey_font(std::string_view text);

// The charset as fonts name it: "ISO8859-1".
std::string charset(const FontSurvey& font);

}  // namespace glyph::family
