// The bold-oblique tool run whole, in-process, on small fonts written here,
// and its agreement with the other two tools where no slant applies.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "font_text.hpp"
#include "tool_harness.hpp"

namespace glyph::test {
namespace {

using namespace std::string_literals;

// The header as written: `box` is the widened font box.
std::string bold_oblique_header(const std::string& box, const std::string& chars = "1") {
    return font_header(box, chars, "Bold", "I");
}

// Vertical strokes lean; the flags then act on the slanted rows.
TEST(GlyphstoutslopeTool, FlagsActOnSlantedRows) {
    const std::string font = font_header("16 16 0 -2") + glyph("BBX 5 7 1 0", times(7, "88")) +
                             glyph("BBX 8 4 0 0", times(4, "A8")) + "ENDFONT\n";
    const std::string on_off = "66 66 66 cc cc cc 98", off = "33 33 33 66 66 66 cc";
    const struct {
        std::vector<std::string> args;
        std::string narrow, wide;
    } cases[] = {
        {{}, on_off, "d400 d400 d400 a800"},
        {{"-r"}, off, "6a00 6a00 6a00 d400"},
        {{"-Lr", "--help", "-"}, on_off, "ac00 ac00 ac00 5800"},
        {{"-r", "-L"}, off, "5600 5600 5600 ac00"},
        {{"-r", "-L", "-R", "-l"}, on_off, "d400 d400 d400 a800"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        expect_run(stoutslope(font, c.args), 0,
                   bold_oblique_header("21 16 -2 -2") + glyph("BBX 7 7 0 0", c.narrow) +
                       glyph("BBX 9 4 0 0", c.wide) + "ENDFONT\n",
                   "");
    }
}

// The slanted rows emboldened in lowercase, one byte at least; rows beyond the
// height are dropped, a row read as a NUL ends.
TEST(GlyphstoutslopeTool, RoadsOfGlyphs) {
    const std::string font = font_header("8 16 0 -2", "4") +
                             glyph("BBX 8 7 0 0", "04 08 08 10 10 20 20") +
                             glyph("BBX 0 16 0 0", "FF") + glyph("BBX 13 1 0 0", "fff8") +
                             glyph("BBX 8 3 0 0", "FF F0 0F FF") + "BITMAP\n1\0FF\nENDCHAR\n"s;
    expect_run(stoutslope(font), 0,
               bold_oblique_header("13 16 -2 -2", "4") +
                   glyph("BBX 10 7 -1 0", "0300 0600 0c00 0c00 1800 3000 6000") +
                   glyph("BBX 0 16 0 0", times(16, "00")) + glyph("BBX 13 1 0 0", "fff8") +
                   glyph("BBX 8 3 0 0", "ff f0 1f") + "BITMAP\n30\n00\n00\nENDCHAR\n",
               "");
}

// Glyphs of at most three rows have no slant: the bold-oblique tool writes the
// rows the bold tool writes, and the oblique tool writes them as read, in
// uppercase and cut to the width.
TEST(GlyphstoutslopeTool, AgreesWithTheOtherToolsWithoutSlant) {
    std::mt19937 random(20240611);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    const char* digits = "0123456789abcdef0123456789ABCDEF";
    std::string body, as_read_upper;
    const int glyph_count = 200;
    for (int g = 0; g < glyph_count; ++g) {
        const int w = pick(1, 40), h = pick(1, 3), bytes = (w + 7) / 8;
        const std::string bbx = "BBX " + std::to_string(w) + " " + std::to_string(h) + " 0 0";
        std::string rows, upper;
        for (int r = 0; r < h; ++r) {
            const int first = pick(0, 1) ? 0 : 16;  // either case reads alike
            for (int b = 0; b < bytes; ++b) {
                int bits = pick(0, 255);
                if (b == bytes - 1 && w % 8 != 0) bits &= 0xff << (8 - w % 8);
                rows += {digits[first + (bits >> 4)], digits[first + (bits & 15)]};
                upper += {digits[16 + (bits >> 4)], digits[16 + (bits & 15)]};
            }
            if (pick(0, 3) == 0) rows += "F7";  // digits beyond the width are cut
            rows += " ";
            upper += " ";
        }
        body += glyph(bbx, rows);
        as_read_upper += glyph(bbx, upper);
    }
    const std::string chars = std::to_string(glyph_count);
    const std::string font = font_header("40 16 0 -2", chars) + body;
    const std::string bold_start = font_header("40 16 0 -2", chars, "Bold");
    const std::string bold_oblique_start = bold_oblique_header("45 16 -2 -2", chars);
    for (const auto& flags :
         std::vector<std::vector<std::string>>{{}, {"-r"}, {"-L"}, {"-r", "-L"}}) {
        SCOPED_TRACE(::testing::PrintToString(flags));
        const RunResult bold = stout(font, flags), bold_oblique = stoutslope(font, flags);
        EXPECT_EQ(bold.status, 0);
        ASSERT_TRUE(bold.out.starts_with(bold_start));
        const std::string glyphs = bold.out.substr(bold_start.size());
        EXPECT_NE(glyphs, body);  // the rows were emboldened
        expect_run(bold_oblique, 0, bold_oblique_start + glyphs, "");
    }
    expect_run(slope(font), 0, font_header("45 16 -2 -2", chars, "Medium", "I") + as_read_upper,
               "");
}

// With -b and -s too, the bold-oblique tool emboldens what the oblique tool
// writes, and -w widens the box that -b wrote: the same glyphs as the bold
// tool run on the oblique face.
TEST(GlyphstoutslopeTool, EmboldensTheObliqueFaceWithBaselineAndSteps) {
    const std::string sample = read_file(SAMPLE_FONT);
    const auto glyphs = [](const std::string& font) { return font.substr(font.find("CHARS")); };
    for (const char* steps : {"3", "1", "6"})
        for (const auto& flags : std::vector<std::vector<std::string>>{
                 {"-b", "-w", "-r"}, {"-b", "-w"}, {"-b", "-r", "-L"}, {"-w"}}) {
            std::vector<std::string> slant = {"-s", steps}, bold;
            for (const std::string& f : flags)
                (f == "-b" ? slant : bold).push_back(f);
            std::vector<std::string> both = flags;
            both.insert(both.end(), {"-s", steps});
            SCOPED_TRACE(::testing::PrintToString(both));
            const RunResult oblique = slope(sample, slant), bold_oblique = stoutslope(sample, both);
            EXPECT_EQ(bold_oblique.status, 0);
            EXPECT_EQ(glyphs(bold_oblique.out), glyphs(stout(oblique.out, bold).out));
        }
    // The box that -b writes, widened on the growth side.
    const std::string font = font_header("8 16 0 -2") + glyph("BBX 6 7 1 0", times(7, "20"));
    EXPECT_TRUE(stoutslope(font, {"-b", "-w", "-r"}).out.find("\nBBX 9 7 1 0\n") !=
                std::string::npos);
    EXPECT_TRUE(stoutslope(font, {"-b", "-w", "-l"}).out.find("\nBBX 9 7 0 0\n") !=
                std::string::npos);
    EXPECT_TRUE(stoutslope(font, {"-b", "-w", "-r"}).out.find("FONTBOUNDINGBOX 14 16 -1 -2\n") !=
                std::string::npos);
}

}  // namespace
}  // namespace glyph::test
