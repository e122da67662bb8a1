// The whole-font reader against fonts whose glyphs are known (the test fonts'
// own text), against what breaks a font, and against every real font.
#include "bdf_font.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "file_io.hpp"
#include "test_fonts.hpp"

namespace glyph::test {
namespace {

namespace fs = std::filesystem;
using family::BdfFont;
using family::read_bdf_font;

// Replaces the first `from` of `text` with `to`.
std::string edited(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

constexpr const char* SMALL_FONT =
    "STARTFONT 2.1\n"
    "COMMENT a comment\n"
    "FONT -Test-Small-Medium-R-Normal--4-40-75-75-C-40-ISO8859-1\n"
    "SIZE 4 75 75\n"
    "FONTBOUNDINGBOX 4 4 0 -1\n"
    "DWIDTH 4 0\n"
    "STARTPROPERTIES 3\n"
    "FAMILY_NAME \"Say \"\"Hi\"\"\"\n"
    "CHARSET_REGISTRY\t\"ISO8859\"\n"
    "PIXEL_SIZE 4\n"
    "ENDPROPERTIES\n"
    "CHARS 2\n"
    "STARTCHAR A\n"
    "ENCODING 65\n"
    "SWIDTH 1000 0\n"
    "BBX 3 3 0 0\n"
    "BITMAP\n"
    "FF\n"  // bits past the width cleared
    "4g\n"  // a stray character reads as 0
    "A\n"   // a missing digit reads as 0
    "ENDCHAR\n"
    "STARTCHAR wide\n"
    "ENCODING -1 300\n"
    "DWIDTH 9 0\n"
    "BBX 9 1 -1 0\n"
    "BITMAP\n"
    "FFFFFF\r\n"  // the extra digits ignored
    "ENDCHAR\n"
    "ENDFONT\n";

TEST(BdfFontReader, ReadsEveryPartOfAFont) {
    const family::BdfReadResult read = read_bdf_font(SMALL_FONT);
    ASSERT_EQ(read.error, "");
    const BdfFont& font = read.font;
    EXPECT_EQ(font.name, "-Test-Small-Medium-R-Normal--4-40-75-75-C-40-ISO8859-1");
    EXPECT_EQ(font.point_size, 4);
    EXPECT_EQ(font.resolution_y, 75);
    EXPECT_EQ(font.font_box, (family::Box{4, 4, 0, -1}));
    EXPECT_EQ(font.text("FAMILY_NAME"), "Say \"Hi\"");
    EXPECT_EQ(font.text("CHARSET_REGISTRY"), "ISO8859");
    EXPECT_EQ(font.integer("PIXEL_SIZE"), 4);
    EXPECT_EQ(font.integer("FAMILY_NAME"), std::nullopt);
    EXPECT_EQ(font.chars, 2);
    ASSERT_EQ(font.glyphs.size(), 2u);
    const family::BdfGlyph& a = font.glyphs[0];
    EXPECT_EQ(a.name, "A");
    EXPECT_EQ(a.encoding, 65);
    EXPECT_EQ(a.swidth_x, 1000);
    EXPECT_EQ(a.dwidth_x, 4);  // the font's
    EXPECT_EQ(a.row_bytes, 1u);
    EXPECT_EQ(a.rows, (std::vector<std::uint8_t>{0xE0, 0x40, 0xA0}));
    EXPECT_TRUE(a.pixel(0, 2));
    EXPECT_FALSE(a.pixel(1, 2));
    const family::BdfGlyph& wide = font.glyphs[1];
    EXPECT_EQ(wide.encoding, -1);
    EXPECT_EQ(wide.dwidth_x, 9);
    EXPECT_EQ(wide.box, (family::Box{9, 1, -1, 0}));
    EXPECT_EQ(wide.rows, (std::vector<std::uint8_t>{0xFF, 0x80}));
}

TEST(BdfFontReader, RefusesTextsThatAreNoWholeFont) {
    const std::string good = SMALL_FONT;
    const std::string truncated = good.substr(0, good.find("STARTCHAR wide") + 8);
    struct Case {
        const char* what;
        std::string text;
        const char* message;
    };
    const Case cases[] = {
        {"empty", "", "no STARTFONT"},
        {"no STARTFONT", edited(good, "STARTFONT 2.1", "FONT x"), "no STARTFONT"},
        {"no font box", edited(good, "FONTBOUNDINGBOX 4 4 0 -1", "COMMENT"),
         "no readable FONTBOUNDINGBOX"},
        {"an unreadable font box",
         edited(good, "FONTBOUNDINGBOX 4 4 0 -1", "FONTBOUNDINGBOX 4 4 x"),
         "line 5: no readable FONTBOUNDINGBOX"},
        {"no CHARS", edited(good, "CHARS 2\n", ""), "STARTCHAR before CHARS"},
        {"truncated in a keyword", truncated, "CHARS 2, but 1 glyph (the text ends at line 22"},
        {"truncated in a glyph", good.substr(0, good.find("4g")),
         "glyph A (line 13) has no ENDCHAR: the text ends at line 18 (CHARS 2, 0 whole glyphs)"},
        {"a glyph without ENDCHAR", edited(good, "A\nENDCHAR\n", "A\n"),
         "glyph A (line 13) has no ENDCHAR"},
        {"more glyphs than CHARS", edited(good, "CHARS 2", "CHARS 1"), "CHARS 1, but 2 glyphs"},
        {"fewer glyphs than CHARS", edited(good, "CHARS 2", "CHARS 3226"),
         "CHARS 3226, but 2 glyphs"},
        {"no ENDFONT", edited(good, "ENDFONT\n", ""), "no ENDFONT line"},
        {"fewer rows than the box", edited(good, "A\nENDCHAR", "ENDCHAR"),
         "line 20: glyph A has 2 bitmap rows, but its BBX is 3 high"},
        {"an unreadable BBX", edited(good, "BBX 3 3 0 0", "BBX 3 3 0"),
         "line 16: BBX of glyph A needs four numbers"},
        {"a BBX of letters", edited(good, "BBX 3 3 0 0", "BBX a b c d"),
         "BBX of glyph A needs four numbers"},
        {"a negative width", edited(good, "BBX 3 3 0 0", "BBX -3 3 0 0"), "negative size"},
        {"a negative height", edited(good, "BBX 3 3 0 0", "BBX 3 -3 0 0"), "negative size"},
        {"a box no font holds", edited(good, "BBX 3 3 0 0", "BBX 3 2147483647 0 0"),
         "larger than 32767 pixels"},
        {"no BITMAP", edited(good, "BITMAP\nFF\n4g\nA\n", ""), "glyph A has no BITMAP"},
        {"an unreadable ENCODING", edited(good, "ENCODING 65", "ENCODING A"),
         "ENCODING of glyph A is no number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const family::BdfReadResult read = read_bdf_font(c.text);
        EXPECT_NE(read.error.find(c.message), std::string::npos) << read.error;
    }
}

// Every glyph of the test fonts, of every class and charset, read back as
// the recipe drew it: the bits of each row as its hex digits say.
TEST(BdfFontReader, ReadsTheTestFontsGlyphByGlyph) {
    for (const FontRecipe& recipe :
         {FontRecipe{}, FontRecipe{.pixel_size = 40, .width = 20, .spacing = 'P', .seed = 7},
          FontRecipe{.pixel_size = 13, .width = 6, .registry = "KOI8", .encoding = "R"}}) {
        const std::string text = make_font(recipe);
        const family::BdfReadResult read = read_bdf_font(text);
        ASSERT_EQ(read.error, "");
        std::size_t at = 0;
        for (const family::BdfGlyph& glyph : read.font.glyphs) {
            at = text.find("BITMAP\n", at) + 7;
            for (std::int64_t row = 0; row < glyph.box.height; ++row) {
                const std::size_t end = text.find('\n', at);
                const std::string digits = text.substr(at, end - at);
                at = end + 1;
                for (std::int64_t column = 0; column < glyph.box.width; ++column) {
                    const int nibble = std::stoi(
                        digits.substr(static_cast<std::size_t>(column / 4), 1), nullptr, 16);
                    ASSERT_EQ(glyph.pixel(column, row), ((nibble >> (3 - column % 4)) & 1) != 0)
                        << glyph.name << " row " << row << " column " << column;
                }
            }
        }
        EXPECT_EQ(read.font.glyphs.size(), static_cast<std::size_t>(read.font.chars));
    }
}

// A line longer than the shared reader's pieces is read whole.
TEST(BdfFontReader, ReadsLinesOfAnyLength) {
    const std::string comment(200000, 'x');
    const std::string text = edited(SMALL_FONT, "FAMILY_NAME \"Say \"\"Hi\"\"\"",
                                    "FAMILY_NAME \"" + comment + "\"\nCOMMENT " + comment);
    const family::BdfReadResult read = read_bdf_font(text);
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.font.text("FAMILY_NAME"), comment);
    EXPECT_EQ(read.font.glyphs.size(), 2u);
}

// Every real font of the cache the integration suite fills, and the
// project's sample, read without complaint.
TEST(BdfFontReader, ReadsEveryRealFont) {
    std::vector<fs::path> fonts = {SAMPLE_FONT};
    if (const char* home = std::getenv("HOME")) {
        const fs::path cache = fs::path(home) / ".cache/glyphfilters-fonts";
        if (fs::is_directory(cache))
            for (const auto& entry : fs::directory_iterator(cache))
                if (entry.path().extension() == ".bdf") fonts.push_back(entry.path());
    }
    if (fonts.size() == 1) GTEST_SKIP() << "no real fonts: run tests/integration/fetch_fonts.sh";
    for (const fs::path& path : fonts) {
        SCOPED_TRACE(path.string());
        std::string text;
        ASSERT_EQ(family::read_file(path.string(), text), "");
        const family::BdfReadResult read = read_bdf_font(text);
        EXPECT_EQ(read.error, "");
        EXPECT_EQ(read.font.glyphs.size(), static_cast<std::size_t>(read.font.chars));
    }
}

}  // namespace
}  // namespace glyph::test
