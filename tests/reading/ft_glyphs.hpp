// A font as FreeType reads it, kept whole for comparison: every glyph its
// charmap reaches with the box, rows and advance FreeType gives, and the
// standard properties it returns. The tests read a BDF font this way on both
// sides of a conversion, so that what is compared is what a reader sees.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BDF_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "bdf_header.hpp"

namespace glyph::test {

struct FtGlyph {
    int width = 0, rows = 0, left = 0, top = 0;
    long advance = 0;
    std::vector<std::uint8_t> bits;  // rows of (width + 7) / 8 bytes, bits past the width clear
    friend bool operator==(const FtGlyph&, const FtGlyph&) = default;
};

struct FtFont {
    std::string error;  // empty when the font was read
    std::map<unsigned long, FtGlyph> glyphs;
    std::map<std::string, std::string> properties;  // a string's text in quotes, or the number
};

// Reads the font at `path` (its only strike) through its selected charmap,
// or its first when FreeType selects none.
inline FtFont read_ft_font(const std::string& path) {
    FtFont font;
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        font.error = "FreeType does not start";
        return font;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
        font.error = path + ": FreeType cannot open it";
    } else if (face->num_fixed_sizes < 1 || FT_Select_Size(face, 0) != 0) {
        font.error = path + ": no strike";
    } else {
        if (!face->charmap && face->num_charmaps > 0) FT_Set_Charmap(face, face->charmaps[0]);
        FT_UInt index = 0;
        for (FT_ULong code = FT_Get_First_Char(face, &index); index != 0 && font.error.empty();
             code = FT_Get_Next_Char(face, code, &index)) {
            if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) {
                font.error = path + ": glyph " + std::to_string(code) + " does not load";
                break;
            }
            const FT_GlyphSlot slot = face->glyph;
            const FT_Bitmap& bitmap = slot->bitmap;
            FtGlyph& g = font.glyphs[code];
            g.width = static_cast<int>(bitmap.width);
            g.rows = static_cast<int>(bitmap.rows);
            g.left = slot->bitmap_left;
            g.top = slot->bitmap_top;
            g.advance = slot->advance.x >> 6;
            const unsigned row_bytes = (bitmap.width + 7) / 8;
            for (unsigned row = 0; row < bitmap.rows; ++row)
                for (unsigned b = 0; b < row_bytes; ++b) {
                    unsigned value = bitmap.buffer[row * static_cast<unsigned>(bitmap.pitch) + b];
                    const unsigned used = bitmap.width - 8 * b;
                    if (used < 8) value &= 0xFF00u >> used;
                    g.bits.push_back(static_cast<std::uint8_t>(value));
                }
        }
        for (const std::string_view standard : reading::standard_properties()) {
            const std::string name(standard);
            BDF_PropertyRec p;
            if (FT_Get_BDF_Property(face, name.c_str(), &p) != 0) continue;
            if (p.type == BDF_PROPERTY_TYPE_ATOM)
                font.properties[name] = std::string("\"") + (p.u.atom ? p.u.atom : "") + "\"";
            else if (p.type == BDF_PROPERTY_TYPE_INTEGER)
                font.properties[name] = std::to_string(p.u.integer);
            else if (p.type == BDF_PROPERTY_TYPE_CARDINAL)
                font.properties[name] = std::to_string(p.u.cardinal);
        }
    }
    if (face) FT_Done_Face(face);
    FT_Done_FreeType(library);
    return font;
}

}  // namespace glyph::test
