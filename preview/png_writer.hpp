// A bitmap as a PNG image: black ink on white, encoded by libpng.
#pragma once

#include <string>

#include "bitmap.hpp"

namespace glyph {

// Writes `picture` to the file at `path`. On failure returns false with the
// reason: libpng's, or the system's when the file cannot be written.
bool write_png(const std::string& path, const Bitmap& picture, std::string& reason);

}  // namespace glyph
