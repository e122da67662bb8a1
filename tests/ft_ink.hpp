// What FreeType makes of a font, reduced to what a reader sees: for every
// character code, the advance and the set pixels relative to the origin.
// PCF and OpenType files may crop or pad the boxes of the BDF source; the
// ink and the advance must not change.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace glyph::test {

struct Ink {
    long advance = 0;
    std::vector<std::pair<int, int>> pixels;  // (x, y), y up, in order
    friend bool operator==(const Ink&, const Ink&) = default;
};

struct FaceInk {
    std::string error;  // empty when the font was read
    int strikes = 0;
    std::map<unsigned long, Ink> glyphs;
};

// The ink of every character of `face`'s Unicode map at its selected
// strike, into `glyphs`; an empty string, or what went wrong.
inline std::string collect_ink(FT_Face face, std::map<unsigned long, Ink>& glyphs) {
    if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) return "no Unicode character map";
    FT_UInt index = 0;
    for (FT_ULong code = FT_Get_First_Char(face, &index); index != 0;
         code = FT_Get_Next_Char(face, code, &index)) {
        if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0)
            return "glyph " + std::to_string(code) + " does not load";
        const FT_GlyphSlot slot = face->glyph;
        Ink& ink = glyphs[code];
        ink.advance = slot->advance.x >> 6;
        const FT_Bitmap& bitmap = slot->bitmap;
        for (unsigned row = 0; row < bitmap.rows; ++row)
            for (unsigned column = 0; column < bitmap.width; ++column)
                if (bitmap.buffer[row * bitmap.pitch + column / 8] & (0x80 >> (column % 8)))
                    ink.pixels.emplace_back(slot->bitmap_left + static_cast<int>(column),
                                            slot->bitmap_top - static_cast<int>(row));
    }
    return {};
}

// Reads the font at `path` through its Unicode character map, at the strike
// `pixel_size` pixels high.
inline FaceInk read_ink(const std::string& path, int pixel_size) {
    FaceInk result;
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        result.error = "FreeType does not start";
        return result;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
        result.error = path + ": FreeType cannot open it";
        FT_Done_FreeType(library);
        return result;
    }
    result.strikes = face->num_fixed_sizes;
    int strike = -1;
    for (int i = 0; i < face->num_fixed_sizes; ++i)
        if (face->available_sizes[i].height == pixel_size ||
            face->available_sizes[i].y_ppem == pixel_size * 64)
            strike = i;
    if (strike < 0 || FT_Select_Size(face, strike) != 0) {
        result.error = path + ": no strike of " + std::to_string(pixel_size) + " pixels";
    } else if (std::string why = collect_ink(face, result.glyphs); !why.empty()) {
        result.error = path + ": " + why;
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return result;
}

}  // namespace glyph::test
