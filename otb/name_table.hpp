// The names a face is listed and chosen by, distinct for each of a family's
// four faces.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "otb_writer.hpp"

namespace glyph::otb {

struct FaceNames {
    std::string copyright;   // ID 0, left out when empty
    std::string family;      // ID 1
    std::string subfamily;   // ID 2: Regular, Bold, Italic, Bold Italic
    std::string unique;      // ID 3
    std::string full;        // ID 4
    std::string version;     // ID 5
    std::string postscript;  // ID 6
};

FaceNames face_names(const OtbStyle& style, std::string_view copyright);

// The names under Windows' Unicode BMP encoding, US English, in UTF-16BE.
// Texts are read as UTF-8, a byte that is not part of a valid sequence as
// Latin-1 (as X fonts' properties often are).
std::vector<std::uint8_t> name_table(const FaceNames& names);

}  // namespace glyph::otb
