// The OpenType bitmap writer, read back by the clients that install and draw
// its files: FreeType for glyphs, strikes, style and names, fontconfig for
// what it lists; and the sfnt layout that neither checks.
#include <ft2build.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include FT_FREETYPE_H
#include FT_BDF_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_TABLES_H

#include <fontconfig/fontconfig.h>
// After fontconfig.h, which it needs.
#include <fontconfig/fcfreetype.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <set>

#include "bdf_pictures.hpp"
#include "otb_readback.hpp"

namespace glyph::test {
namespace {

using otb::OtbStrike;
using otb::OtbStyle;
using otb::write_otb;

std::vector<char32_t> code_range(char32_t first, char32_t last, char32_t step = 1) {
    std::vector<char32_t> codes;
    for (char32_t c = first; c <= last; c += step)
        codes.push_back(c);
    return codes;
}

std::uint32_t get32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::uint32_t{b.at(at)} << 24 | std::uint32_t{b.at(at + 1)} << 16 |
           std::uint32_t{b.at(at + 2)} << 8 | b.at(at + 3);
}

struct FaceCase {
    const char* name;
    std::vector<std::int64_t> sizes;
    std::vector<char32_t> codes;
    int max_width = 12;
};

TEST(OtbWriter, FreeTypeReadsEveryGlyphOfEveryStrike) {
    std::vector<char32_t> mixed = code_range(0, 0x7F);
    for (char32_t c : {0xA0u, 0x20ACu, 0xFFFDu, 0xFFFEu, 0xFFFFu, 0x10000u, 0x1F600u, 0x10FFFFu})
        mixed.push_back(c);
    std::vector<char32_t> sparse = code_range(0x20, 0x4000, 3);
    for (char32_t c : code_range(0x20000, 0x20100))
        sparse.push_back(c);
    const FaceCase cases[] = {
        {"one pixel", {1}, code_range(0x41, 0x5A), 3},
        {"three sizes, supplementary planes", {8, 16, 24}, mixed},
        {"wide glyphs", {100}, code_range(0x30, 0x60), 120},
        {"sparse, two sizes", {13, 14}, sparse, 9},
        {"more runs than format 4 holds", {6}, code_range(0x20, 0x20 + 2 * 9000, 2), 4},
    };
    unsigned seed = 1;
    for (const FaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<family::BdfFont> fonts;
        for (const std::int64_t size : c.sizes)
            fonts.push_back(random_font(seed++, size, c.codes, c.max_width));
        std::vector<OtbStrike> strikes;
        for (const family::BdfFont& font : fonts)
            strikes.push_back(identity_strike(font));
        OtbStyle style;
        style.family = "Random";
        const otb::OtbResult result = write_otb(strikes, style);
        ASSERT_EQ(result.error, "");
        EXPECT_EQ(compare_with_freetype(result.bytes, strikes), "");
    }
}

std::string sfnt_name(FT_Face face, unsigned id) {
    const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
    for (FT_UInt i = 0; i < count; ++i) {
        FT_SfntName name;
        if (FT_Get_Sfnt_Name(face, i, &name) != 0 || name.name_id != id || name.platform_id != 3)
            continue;
        std::string text;  // UTF-16BE, kept to what the tests write: one byte per character
        for (FT_UInt k = 0; k + 1 < name.string_len; k += 2)
            text += static_cast<char>(name.string[k + 1]);
        return text;
    }
    return "(none)";
}

TEST(OtbWriter, FaceStyleNamesAndSpacingAsSet) {
    struct StyleCase {
        bool bold, slanted;
        family::Spacing spacing;
        const char* subfamily;
        const char* postscript;
        unsigned selection, weight, mac_style;
    };
    const StyleCase cases[] = {
        {false, false, family::Spacing::cell, "Regular", "MyMono-Regular", 0x40, 400, 0},
        {true, false, family::Spacing::monospaced, "Bold", "MyMono-Bold", 0x20, 700, 1},
        {false, true, family::Spacing::proportional, "Italic", "MyMono-Italic", 0x201, 400, 2},
        {true, true, family::Spacing::cell, "Bold Italic", "MyMono-BoldItalic", 0x221, 700, 3},
    };
    const family::BdfFont font =
        font_of("-Test-My Mono-Medium-R-Normal--16-160-75-75-C-80-ISO10646-1", 16, 4,
                {{U'A', 8, 0, 0, {"#..#", ".##."}}, {U' ', 8, 0, 0, {}}},
                {{"SPACING", "C", true}, {"COPYRIGHT", "Drawn by us", true}});
    std::set<std::string> names;
    for (const StyleCase& c : cases) {
        SCOPED_TRACE(c.subfamily);
        OtbStyle style;
        style.family = "My (Mono)";
        style.bold = c.bold;
        style.slanted = c.slanted;
        style.rows_per_step = c.slanted ? 3 : 0;
        style.spacing = c.spacing;
        const otb::OtbResult result = write_otb({identity_strike(font)}, style);
        ASSERT_EQ(result.error, "");
        FtFace owner(result.bytes);
        const FT_Face face = owner.get();
        ASSERT_NE(face, nullptr);
        EXPECT_STREQ(face->family_name, "My (Mono)");
        EXPECT_STREQ(face->style_name, c.subfamily);
        EXPECT_EQ((face->style_flags & FT_STYLE_FLAG_BOLD) != 0, c.bold);
        EXPECT_EQ((face->style_flags & FT_STYLE_FLAG_ITALIC) != 0, c.slanted);
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        const auto* head = static_cast<const TT_Header*>(FT_Get_Sfnt_Table(face, FT_SFNT_HEAD));
        const auto* post = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
        ASSERT_TRUE(os2 && head && post);
        EXPECT_EQ(os2->version, 4);
        EXPECT_EQ(os2->fsSelection, c.selection);
        EXPECT_EQ(os2->usWeightClass, c.weight);
        EXPECT_EQ(head->Mac_Style, c.mac_style);
        const bool mono = c.spacing != family::Spacing::proportional;
        EXPECT_EQ(post->isFixedPitch != 0, mono);
        EXPECT_EQ(os2->panose[0], 2);
        EXPECT_EQ(os2->panose[3], mono ? 9 : 0);
        EXPECT_NEAR(post->italicAngle / 65536.0,
                    c.slanted ? -std::atan(1.0 / 3) * 180 / std::numbers::pi : 0.0, 1e-4);
        EXPECT_EQ(sfnt_name(face, 0), "Drawn by us");
        EXPECT_EQ(sfnt_name(face, 2), c.subfamily);
        EXPECT_EQ(sfnt_name(face, 5), "Version 1.000");
        EXPECT_EQ(sfnt_name(face, 6), c.postscript);
        EXPECT_STREQ(FT_Get_Postscript_Name(face), c.postscript);
        for (unsigned id : {3u, 4u, 6u})
            EXPECT_TRUE(names.insert(std::to_string(id) + sfnt_name(face, id)).second) << id;
        BDF_PropertyRec spacing, pixel_size;
        ASSERT_EQ(FT_Select_Size(face, 0), 0);
        ASSERT_EQ(FT_Get_BDF_Property(face, "SPACING", &spacing), 0);
        ASSERT_EQ(FT_Get_BDF_Property(face, "PIXEL_SIZE", &pixel_size), 0);
        EXPECT_STREQ(spacing.u.atom, "C");
        EXPECT_EQ(pixel_size.type, BDF_PROPERTY_TYPE_INTEGER);
        EXPECT_EQ(pixel_size.u.integer, 16);
    }
    // Without a COPYRIGHT property there is no copyright name.
    const family::BdfFont plain = font_of("-Test-Plain-Medium-R-Normal--8-80-75-75-C-80-ISO10646-1",
                                          8, 1, {{U'A', 8, 0, 0, {"#"}}});
    OtbStyle style;
    style.family = "Plain";
    FtFace owner(write_otb({identity_strike(plain)}, style).bytes);
    ASSERT_NE(owner.get(), nullptr);
    EXPECT_EQ(sfnt_name(owner.get(), 0), "(none)");
}

// The table directory and checksums as the sfnt format lays them out, and
// the line metrics of a strike of known glyphs.
TEST(OtbWriter, FileLayoutChecksumsAndLineMetrics) {
    const family::BdfFont font =
        font_of("-Test-Known-Medium-R-Normal--10-100-75-75-P-50-ISO10646-1", 10, 2,
                {{U'A', 5, 0, 0, {".....", ".###.", ".#.#.", "....."}},    // ink 3x2 at (1, 3)
                 {U'B', 6, -2, -3, {"#.......", "........", "......##"}},  // 8x3 at (-2, 0)
                 {U'C', 4, 0, 0, {}},                                      // no ink
                 {U'D', 3, 1, 5, {"##"}},                                  // 2x1 at (1, 6)
                 {U'E', 9, 0, 0, {}}});  // the largest advance, no ink
    struct MetricsCase {
        bool slanted;
        int caret_rise, caret_run;
    };
    for (const MetricsCase c : {MetricsCase{false, 1, 0}, MetricsCase{true, 2, 1}}) {
        OtbStyle style;
        style.family = "Known";
        style.slanted = c.slanted;
        style.rows_per_step = c.slanted ? 2 : 0;
        style.date = 1700000000;
        const std::vector<std::uint8_t> bytes = write_otb({identity_strike(font)}, style).bytes;
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(bytes, write_otb({identity_strike(font)}, style).bytes);  // reproducible

        std::uint32_t sum = 0;
        for (std::size_t i = 0; i < bytes.size(); i += 4)
            sum += get32(bytes, i);
        EXPECT_EQ(bytes.size() % 4, 0u);
        EXPECT_EQ(sum, 0xB1B0AFBAu);
        const std::size_t tables = get32(bytes, 4) >> 16;
        std::map<std::string, std::pair<std::size_t, std::size_t>> directory;
        std::string previous;
        for (std::size_t i = 0; i < tables; ++i) {
            const std::size_t entry = 12 + 16 * i;
            const std::string tag(bytes.begin() + static_cast<long>(entry),
                                  bytes.begin() + static_cast<long>(entry) + 4);
            EXPECT_LT(previous, tag);
            previous = tag;
            const std::size_t at = get32(bytes, entry + 8), length = get32(bytes, entry + 12);
            EXPECT_EQ(at % 4, 0u) << tag;
            ASSERT_LE(at + length, bytes.size()) << tag;
            std::uint32_t table_sum = 0;
            for (std::size_t k = 0; k < length; k += 4)
                for (std::size_t b = 0; b < 4; ++b)
                    table_sum += std::uint32_t{k + b < length ? bytes[at + k + b] : 0u}
                                 << (24 - 8 * b);
            if (tag == "head") table_sum -= get32(bytes, at + 8);  // taken with the adjustment 0
            EXPECT_EQ(table_sum, get32(bytes, entry + 4)) << tag;
            directory[tag] = {at, length};
        }
        for (const char* tag : {"BDF ", "EBDT", "EBLC", "OS/2", "cmap", "head", "hhea", "hmtx",
                                "maxp", "name", "post"})
            EXPECT_EQ(directory.count(tag), 1u) << tag;

        const std::size_t head = directory["head"].first;
        EXPECT_EQ((std::uint64_t{get32(bytes, head + 20)} << 32) | get32(bytes, head + 24),
                  1700000000u + 2082844800u);                  // created, from 1904
        const std::size_t size = directory["EBLC"].first + 8;  // the first bitmapSize record
        const auto s8 = [&](std::size_t at) { return static_cast<std::int8_t>(bytes[size + at]); };
        EXPECT_EQ(s8(16), 8);             // ascender
        EXPECT_EQ(s8(17), -2);            // descender
        EXPECT_EQ(bytes[size + 18], 8);   // widthMax
        EXPECT_EQ(s8(19), c.caret_rise);  // caretSlopeNumerator
        EXPECT_EQ(s8(20), c.caret_run);   // caretSlopeDenominator
        EXPECT_EQ(s8(22), -2);            // minOriginSB
        EXPECT_EQ(s8(23), 9 - 8 - -2);    // minAdvanceSB: the sum is the largest advance
        EXPECT_EQ(s8(24), 6);             // maxBeforeBL
        EXPECT_EQ(s8(25), -3);            // minAfterBL
        EXPECT_EQ(bytes[size + 44], 10);  // ppemX
        EXPECT_EQ(bytes[size + 45], 10);  // ppemY
        EXPECT_EQ(bytes[size + 46], 1);   // bitDepth
        EXPECT_EQ(bytes[size + 47], 1);   // horizontal
        EXPECT_EQ(bytes[size + 40] << 8 | bytes[size + 41], 1);  // glyphs 1..5
        EXPECT_EQ(bytes[size + 42] << 8 | bytes[size + 43], 5);
        // which FreeType reports as the strike's largest advance, xterm's cell.
        FtFace owner(bytes);
        ASSERT_NE(owner.get(), nullptr);
        ASSERT_EQ(FT_Select_Size(owner.get(), 0), 0);
        EXPECT_EQ(owner.get()->size->metrics.max_advance, 9 * 64);
    }
}

// What fontconfig lists for a file: the family, the style, every size and
// the spacing terminals ask for, multi-size files included.
TEST(OtbWriter, FontconfigListsFamilyStyleSizesAndSpacing) {
    const std::vector<char32_t> codes = code_range(0x20, 0x7E);
    std::vector<family::BdfFont> fonts;
    for (const std::int64_t size : {8, 16, 24})
        fonts.push_back(
            random_font(static_cast<unsigned>(size), size, codes, 0, static_cast<int>(size / 2)));
    for (family::BdfFont& font : fonts)
        font.properties.push_back({"SPACING", "C", true});
    std::vector<OtbStrike> strikes;
    for (const family::BdfFont& font : fonts)
        strikes.push_back(identity_strike(font));
    const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                       ("otb_writer_test_" + std::to_string(getpid()) + ".otb");
    for (const bool bold_italic : {false, true}) {
        SCOPED_TRACE(bold_italic ? "Bold Italic" : "Regular");
        OtbStyle style;
        style.family = "Cells";
        style.bold = style.slanted = bold_italic;
        style.rows_per_step = 3;
        style.spacing = family::Spacing::cell;
        const std::vector<std::uint8_t> bytes = write_otb(strikes, style).bytes;
        ASSERT_FALSE(bytes.empty());
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
        int count = 0;
        FcPattern* pattern =
            FcFreeTypeQuery(reinterpret_cast<const FcChar8*>(file.c_str()), 0, nullptr, &count);
        ASSERT_NE(pattern, nullptr);
        FcChar8* text = nullptr;
        int value = 0;
        ASSERT_EQ(FcPatternGetString(pattern, FC_FAMILY, 0, &text), FcResultMatch);
        EXPECT_STREQ(reinterpret_cast<const char*>(text), "Cells");
        ASSERT_EQ(FcPatternGetString(pattern, FC_STYLE, 0, &text), FcResultMatch);
        EXPECT_STREQ(reinterpret_cast<const char*>(text), bold_italic ? "Bold Italic" : "Regular");
        ASSERT_EQ(FcPatternGetInteger(pattern, FC_SPACING, 0, &value), FcResultMatch);
        EXPECT_TRUE(value == FC_MONO || value == FC_CHARCELL) << value;
        ASSERT_EQ(FcPatternGetInteger(pattern, FC_SLANT, 0, &value), FcResultMatch);
        EXPECT_EQ(value, bold_italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        ASSERT_EQ(FcPatternGetInteger(pattern, FC_WEIGHT, 0, &value), FcResultMatch);
        EXPECT_EQ(value, bold_italic ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        std::set<double> sizes;
        double size = 0;
        for (int i = 0; FcPatternGetDouble(pattern, FC_PIXEL_SIZE, i, &size) == FcResultMatch; ++i)
            sizes.insert(size);
        EXPECT_EQ(sizes, (std::set<double>{8, 16, 24}));
        FcPatternDestroy(pattern);
    }
    std::filesystem::remove(file);
}

// What the format cannot hold is refused with the font and glyph named, and
// no bytes.
TEST(OtbWriter, RefusesWhatTheFileCannotHold) {
    struct ErrorCase {
        const char* name;
        std::function<void(std::vector<family::BdfFont>&, std::vector<OtbStrike>&, OtbStyle&)>
            spoil;
        std::vector<std::string> said;
    };
    const ErrorCase cases[] = {
        {"ink wider than 255",
         [](auto& fonts, auto&, auto&) {
             fonts[0].glyphs[1] = glyph_of({U'B', 8, 0, 0, {std::string(300, '#')}});
         },
         {"-Test-Two-", "glyph g66", "U+0042", "255"}},
        {"advance beyond 255",
         [](auto& fonts, auto&, auto&) { fonts[1].glyphs[0].dwidth_x = 256; },
         {"-Test-Two-16", "glyph g65", "advance 256"}},
        {"ink far below the baseline",
         [](auto& fonts, auto&, auto&) { fonts[0].glyphs[0].box.y = -200; },
         {"glyph g65", "127"}},
        {"sizes of other characters",
         [](auto&, auto& strikes, auto&) { strikes[1].chars[1].first = U'C'; },
         {"-Test-Two-8: glyph g66", "U+0042", "not in -Test-Two-16", "same characters"}},
        {"a size with fewer characters",
         [](auto&, auto& strikes, auto&) { strikes[0].chars.pop_back(); },
         {"glyph g66", "U+0042", "same characters"}},
        {"beyond U+10FFFF",
         [](auto&, auto& strikes, auto&) {
             for (auto& strike : strikes)
                 strike.chars[1].first = 0x110000;
         },
         {"glyph g66", "U+110000", "U+10FFFF"}},
        {"listed twice",
         [](auto&, auto& strikes, auto&) {
             for (auto& strike : strikes)
                 strike.chars[1].first = U'A';
         },
         {"glyph g66", "twice"}},
        {"two strikes of one size",
         [](auto& fonts, auto&, auto&) { fonts[1].properties[0].value = "8"; },
         {"-Test-Two-8 and -Test-Two-16", "both 8 pixels"}},
        {"slanted without a slope",
         [](auto&, auto&, auto& style) { style.slanted = true; },
         {"Two", "slope"}},
        {"no strikes", [](auto&, auto& strikes, auto&) { strikes.clear(); }, {"Two", "no strikes"}},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<family::BdfFont> fonts;
        for (const std::int64_t size : {8, 16})
            fonts.push_back(font_of("-Test-Two-" + std::to_string(size), size, 2,
                                    {{U'A', 4, 0, 0, {"#"}}, {U'B', 4, 0, 0, {"##"}}}));
        std::vector<OtbStrike> strikes;
        for (const family::BdfFont& font : fonts)
            strikes.push_back(identity_strike(font));
        OtbStyle style;
        style.family = "Two";
        c.spoil(fonts, strikes, style);
        const otb::OtbResult result = write_otb(strikes, style);
        EXPECT_TRUE(result.bytes.empty());
        for (const std::string& part : c.said)
            EXPECT_NE(result.error.find(part), std::string::npos) << result.error << " / " << part;
    }
}

}  // namespace
}  // namespace glyph::test
