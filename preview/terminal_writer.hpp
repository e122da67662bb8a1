// A bitmap drawn with block characters, two pixel rows to a character cell,
// so that a preview can be read in a terminal or a CI log.
#pragma once

#include <string_view>

#include "bitmap.hpp"
#include "byte_io.hpp"

namespace glyph {

// The label on a line of its own, the picture, then an empty line. Lines end
// at their last ink, so no line carries trailing blanks.
void write_terminal(ByteSink& out, std::string_view label, const Bitmap& picture);

}  // namespace glyph
