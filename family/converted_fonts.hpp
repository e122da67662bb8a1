// What the converters wrote, checked before it is moved into the output
// folder: a converter that exits with status 0 has not always written a font.
#pragma once

#include <string>
#include <vector>

namespace glyph::family {

// Whether `path` holds a PCF font, plain or gzip-compressed (by its name's
// ".gz"): its header, and that FreeType opens it when the program was built
// with FreeType. An empty string, or what is wrong.
std::string check_pcf(const std::string& path);

// Whether the fonts.dir at `path` is whole: its first line counts the lines
// that follow, and every one of `fonts` is listed. An empty string, or what
// is wrong.
std::string check_fonts_dir(const std::string& path, const std::vector<std::string>& fonts);

}  // namespace glyph::family
