// Glyphs whose picture cannot be read: drawn as the box of a missing
// character, or as nothing where they have no size, and the run goes on.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bitmap.hpp"
#include "preview_harness.hpp"

namespace glyph::test {
namespace {

// The rows of a picture as text, "#" for ink.
std::vector<std::string> ink_rows(const Bitmap& image) {
    std::vector<std::string> rows;
    for (int y = 0; y < image.height(); ++y) {
        std::string row;
        for (int x = 0; x < image.width(); ++x)
            row += image.ink(x, y) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

TEST(PreviewMalformed, PackedPictureIsReadOnlyWhenSafe) {
    // Two rows of a 4-pixel picture at every depth, each row padded to 2 bytes.
    const unsigned char mono[] = {0xA0, 0xFF, 0x50, 0xFF};
    const unsigned char gray2[] = {0xE4, 0x00, 0x1B, 0x00};  // 3 2 1 0 / 0 1 2 3
    const unsigned char gray4[] = {0xF8, 0x70, 0x07, 0x8F};  // F 8 7 0 / 0 7 8 F
    const unsigned char gray8[] = {0xFF, 0x80, 0x7F, 0x00, 0x01, 0x00, 0x00, 0x00};
    const std::vector<std::string> none;
    const struct {
        const char* what;
        PackedPicture packed;
        std::optional<std::vector<std::string>> rows;  // nothing: not readable
    } cases[] = {
        {"mono", {mono, 4, 2, 2, 1}, std::vector<std::string>{"#.#.", ".#.#"}},
        {"mono, bottom row first", {mono, 4, 2, -2, 1}, std::vector<std::string>{".#.#", "#.#."}},
        {"gray2", {gray2, 4, 2, 2, 2}, std::vector<std::string>{"##..", "..##"}},
        {"gray4", {gray4, 4, 2, 2, 4}, std::vector<std::string>{"##..", "..##"}},
        {"gray8, ink from half up", {gray8, 4, 2, 4, 8}, std::vector<std::string>{"##..", "...."}},
        {"no pixels", {nullptr, 0, 0, 0, 1}, none},
        {"no width", {nullptr, 0, 5, 0, 1}, none},
        {"no rows", {nullptr, 9, 0, 0, 1}, none},
        {"no buffer", {nullptr, 4, 2, 2, 1}, std::nullopt},
        {"zero pitch", {mono, 4, 2, 0, 1}, std::nullopt},
        {"pitch shorter than a row", {gray8, 4, 2, 3, 8}, std::nullopt},
        {"negative pitch shorter than a row", {gray8, 4, 2, -3, 8}, std::nullopt},
        {"pixel kind of 24 bits", {gray8, 1, 1, 4, 24}, std::nullopt},
        {"pixel kind of 0 bits", {mono, 4, 2, 2, 0}, std::nullopt},
        {"sides whose product overflows", {mono, 0xFFFFFFFFu, 0xFFFFFFFFu, 2, 1}, std::nullopt},
        {"a pitch whose product overflows", {mono, 4, 2, INT64_MIN, 1}, std::nullopt},
        {"too many pixels", {mono, 1u << 20, 1u << 20, 1 << 17, 1}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<Bitmap> image = unpack_ink(c.packed);
        ASSERT_EQ(image.has_value(), c.rows.has_value());
        if (image) {
            EXPECT_EQ(ink_rows(*image), *c.rows);
        }
    }
}

// A font of two glyphs, A (its lines after DWIDTH given) and a framed B.
std::string two_glyph_font(const std::string& a_body) {
    return "STARTFONT 2.1\nFONT -Test-Mono-Medium-R-Normal--8-80-75-75-C-80-ISO8859-1\n"
           "SIZE 8 75 75\nFONTBOUNDINGBOX 8 4 0 0\nSTARTPROPERTIES 2\nFONT_ASCENT 4\n"
           "FONT_DESCENT 0\nENDPROPERTIES\nCHARS 2\n"
           "STARTCHAR A\nENCODING 65\nSWIDTH 500 0\nDWIDTH 8 0\n" +
           a_body +
           "ENDCHAR\nSTARTCHAR B\nENCODING 66\nSWIDTH 500 0\nDWIDTH 8 0\nBBX 8 4 0 0\n"
           "BITMAP\nFF\n81\n81\nFF\nENDCHAR\nENDFONT\n";
}

// Each A is shown as a character the font lacks (U+2603) is, or as a blank
// glyph of the same advance; B after it stays in place.
TEST(PreviewMalformed, UnreadableGlyphIsABoxOrNothing) {
    const std::string blank_a = two_glyph_font("BBX 8 4 0 0\nBITMAP\n00\n00\n00\n00\n");
    const struct {
        const char* what;
        std::string a_body;
        bool as_box;  // else as a blank glyph
    } cases[] = {
        {"a box but no bitmap", "BBX 8 4 0 0\n", true},
        {"a box but no bitmap, then a bitmap keyword only", "BBX 8 4 0 0\nBITMAP\n", false},
        {"no box and no bitmap", "", false},
        {"an empty box", "BBX 0 0 0 0\nBITMAP\n", false},
        {"a box of no height", "BBX 8 0 0 0\nBITMAP\n", false},
    };
    const std::string missing = "\xE2\x98\x83";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string font = two_glyph_font(c.a_body);
        const RunResult r = preview({"-t", "AB"}, font);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        const RunResult want =
            c.as_box ? preview({"-t", missing + "B"}, font) : preview({"-t", "AB"}, blank_a);
        EXPECT_EQ(r.out, want.out);
        // The PNG page goes on as well.
        const std::string png = scratch_dir() / "malformed.png";
        const RunResult image = preview({"-t", "AB", "-o", png}, font);
        EXPECT_EQ(image.status, 0);
        EXPECT_EQ(image.err, "");
        EXPECT_GT(read_png(png).width, 0);
    }
}

}  // namespace
}  // namespace glyph::test
