// What the faces of a family are called. The filters rename only a weight
// "Medium" and a slant "R"; a family names its derived faces itself, whatever
// its regular face calls its weight and slant, so that no two faces share a
// name in fonts.dir, fontconfig or the OpenType files.
#pragma once

#include <string>

#include "bdf_font.hpp"

namespace glyph::family {

// A face's name as its FONT line and its WEIGHT_NAME and SLANT properties
// give it.
struct FaceName {
    std::string font_name;
    std::string weight;
    std::string slant;
};

// The regular face's name, or `error` when the font is no regular face: a
// weight of Bold or heavier, or a slanted one.
struct RegularName {
    FaceName name;
    std::string error;
};
RegularName regular_name(const BdfFont& font);

// A derived face's name: weight "Bold" when bold, slant "I" when slanted, in
// the FONT name's fields and the properties; the rest as the regular face has
// it. A FONT name that is no XLFD name gets the style appended instead.
FaceName derived_name(const FaceName& regular, bool bold, bool slanted);

// A property value as a BDF file writes it: in quotes, a quote doubled.
std::string bdf_string(const std::string& value);

}  // namespace glyph::family
