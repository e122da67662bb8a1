// Texts of an OpenType file's name table, for the properties of a font that
// keeps no X11 properties of its own.
#pragma once

#include <string>

struct FT_FaceRec_;

namespace glyph::reading {

// The name of `name_id` (0 copyright, 1 family, ...) in UTF-8, preferring
// the Windows Unicode entry in US English; empty when the file has none.
std::string sfnt_name(FT_FaceRec_* face, unsigned name_id);

}  // namespace glyph::reading
