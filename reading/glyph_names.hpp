// The STARTCHAR name of each glyph written: the font's own where it keeps
// names, else one made from its code.
#pragma once

#include <cstdint>
#include <string>

struct FT_FaceRec_;

namespace glyph::reading {

// `unicode`: the codes are Unicode code points (uniXXXX, uXXXXX); other codes
// give charN, and a glyph no code reaches (`code` -1) glyphN by its index.
std::string glyph_name(FT_FaceRec_* face, std::uint32_t index, std::int64_t code, bool unicode);

}  // namespace glyph::reading
