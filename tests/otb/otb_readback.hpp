// An OpenType bitmap file read back through FreeType and set against the BDF
// strikes it was written from: every strike's every character, in ink
// (relative to the origin) and advance, through both character maps.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BDF_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "bdf_font.hpp"
#include "ft_ink.hpp"
#include "otb_writer.hpp"

namespace glyph::test {

// What a reader of the BDF glyph sees: its advance and its set pixels, (x, y)
// with y up, each pixel named by its top left corner as FreeType's bitmaps are.
inline Ink bdf_ink(const family::BdfGlyph& glyph) {
    Ink ink;
    ink.advance = static_cast<long>(glyph.dwidth_x);
    if (glyph.box.width <= 0 || glyph.box.height <= 0 ||
        glyph.rows.size() < static_cast<std::size_t>(glyph.box.height) * glyph.row_bytes ||
        glyph.row_bytes < static_cast<std::size_t>(glyph.box.width + 7) / 8)
        return ink;  // no picture that a reader could draw
    for (std::int64_t row = 0; row < glyph.box.height; ++row)
        for (std::int64_t column = 0; column < glyph.box.width; ++column)
            if (glyph.pixel(column, row))
                ink.pixels.emplace_back(static_cast<int>(glyph.box.x + column),
                                        static_cast<int>(glyph.box.y + glyph.box.height - row));
    return ink;
}

class FtFace {
  public:
    // FreeType reads the bytes as long as the face is open: the face keeps them.
    explicit FtFace(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {
        if (FT_Init_FreeType(&library_) != 0) return;
        if (FT_New_Memory_Face(library_, bytes_.data(), static_cast<FT_Long>(bytes_.size()), 0,
                               &face_) != 0)
            face_ = nullptr;
    }
    ~FtFace() {
        if (face_) FT_Done_Face(face_);
        if (library_) FT_Done_FreeType(library_);
    }
    FtFace(const FtFace&) = delete;
    FtFace& operator=(const FtFace&) = delete;
    FT_Face get() const { return face_; }

  private:
    std::vector<std::uint8_t> bytes_;
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

// Every BMP character of the selected strike maps to the same glyph through
// the format 4 subtable (platform 3, encoding 1) as through format 12, but
// that a font of more runs of characters than format 4 holds keeps the first
// ones there.
inline std::string check_bmp_map(FT_Face face, const otb::OtbStrike& strike) {
    FT_CharMap bmp = nullptr;
    for (int i = 0; i < face->num_charmaps; ++i)
        if (face->charmaps[i]->platform_id == 3 && face->charmaps[i]->encoding_id == 1)
            bmp = face->charmaps[i];
    if (bmp == nullptr || FT_Set_Charmap(face, bmp) != 0) return "no Windows BMP character map";
    FT_UInt glyph = 0;
    bool full = false;
    for (const auto& [code, index] : strike.chars) {
        ++glyph;
        if (code >= 0xFFFF) break;
        const FT_UInt read = FT_Get_Char_Index(face, code);
        full = full || (read == 0 && glyph > 8000);
        if (read != (full ? 0 : glyph))
            return "U+" + std::to_string(code) + " is glyph " + std::to_string(read) + ", not " +
                   std::to_string(glyph) + ", in the BMP map";
    }
    return {};
}

// hmtx, where HarfBuzz takes advances from, scaled to the largest strike's
// pixel size gives that strike's advances.
inline std::string check_hmtx(FT_Face face, const std::vector<otb::OtbStrike>& strikes) {
    int largest = 0;
    for (int i = 1; i < face->num_fixed_sizes; ++i)
        if (face->available_sizes[i].y_ppem > face->available_sizes[largest].y_ppem) largest = i;
    const long ppem = face->available_sizes[largest].y_ppem >> 6;
    const otb::OtbStrike& strike = strikes[static_cast<std::size_t>(largest)];
    // FreeType gives a face without outlines no units per em of its own.
    const auto* head = static_cast<const TT_Header*>(FT_Get_Sfnt_Table(face, FT_SFNT_HEAD));
    if (head == nullptr) return "no head table";
    const long units_per_em = head->Units_Per_EM;
    FT_UInt glyph = 0;
    for (const auto& [code, index] : strike.chars) {
        FT_Fixed advance = 0;
        if (FT_Get_Advance(face, ++glyph, FT_LOAD_NO_SCALE, &advance) != 0)
            return "no hmtx advance of glyph " + std::to_string(glyph);
        if (advance * ppem != strike.font->glyphs[index].dwidth_x * units_per_em)
            return "the hmtx advance of glyph " + std::to_string(glyph) + " is " +
                   std::to_string(advance) + " of " + std::to_string(units_per_em);
    }
    return {};
}

// An empty string when FreeType reads `bytes` as the strikes, else the first
// difference.
inline std::string compare_with_freetype(const std::vector<std::uint8_t>& bytes,
                                         const std::vector<otb::OtbStrike>& strikes) {
    FtFace owner(bytes);
    const FT_Face face = owner.get();
    if (face == nullptr) return "FreeType cannot open the file";
    if (face->num_fixed_sizes != static_cast<int>(strikes.size()))
        return std::to_string(face->num_fixed_sizes) + " strikes read";
    if (FT_IS_SCALABLE(face)) return "a bitmap file read as scalable";
    for (std::size_t s = 0; s < strikes.size(); ++s) {
        const family::BdfFont& font = *strikes[s].font;
        const std::string where = font.name + ": ";
        if (FT_Select_Size(face, static_cast<FT_Int>(s)) != 0) return where + "cannot select it";
        std::map<unsigned long, Ink> read;
        if (std::string why = collect_ink(face, read); !why.empty()) return where + why;
        if (read.size() != strikes[s].chars.size())
            return where + std::to_string(read.size()) + " characters read, " +
                   std::to_string(strikes[s].chars.size()) + " written";
        for (const auto& [code, index] : strikes[s].chars) {
            Ink expected = bdf_ink(font.glyphs[index]);
            Ink got = read[code];
            std::sort(expected.pixels.begin(), expected.pixels.end());
            std::sort(got.pixels.begin(), got.pixels.end());
            if (!(got == expected))
                return where + "glyph " + font.glyphs[index].name + " differs (advance " +
                       std::to_string(got.advance) + " for " + std::to_string(expected.advance) +
                       ", " + std::to_string(got.pixels.size()) + " pixels for " +
                       std::to_string(expected.pixels.size()) + ")";
        }
        if (std::string why = check_bmp_map(face, strikes[s]); !why.empty()) return where + why;
        BDF_PropertyRec fontname;
        if (font.name.find('\0') == std::string::npos &&
            (FT_Get_BDF_Property(face, "FONT", &fontname) != 0 ||
             fontname.type != BDF_PROPERTY_TYPE_ATOM || font.name != fontname.u.atom) &&
            font.property("FONT") == nullptr)
            return where + "its FONT property is not read back";
    }
    return check_hmtx(face, strikes);
}

}  // namespace glyph::test
