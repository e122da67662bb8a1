// A bitmap as a PNG image: black ink on white, encoded by libpng.
#pragma once

#include <string>
#include <string_view>

#include "bitmap.hpp"

namespace glyph {

// `picture` encoded as a PNG image into `png`. On failure returns false with
// libpng's reason.
bool encode_png(const Bitmap& picture, std::string& png, std::string& reason);

// Writes `bytes` to the file at `path`, created or emptied first. On failure
// returns false with the system's reason.
bool write_file(const std::string& path, std::string_view bytes, std::string& reason);

// Both: `picture` as a PNG file at `path`, with the reason of a failure.
bool write_png(const std::string& path, const Bitmap& picture, std::string& reason);

}  // namespace glyph
