// The bold tool run whole, in-process, on small fonts written here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "font_text.hpp"
#include "tool_harness.hpp"

namespace glyph::test {
namespace {

std::string bold_header(const std::string& box, const std::string& chars = "1") {
    return font_header(box, chars, "Bold");
}

// Every pixel rule through the command line. The first glyph holds the rows of
// the rule table, the second a row whose two pixels sit across a word boundary.
TEST(GlyphstoutTool, FlagsReachEveryRow) {
    const std::string box = "40 16 0 -2";
    const std::string font = font_header(box, "2") + glyph("BBX 8 7 0 0", "80 20 01 30 48 A0 AA") +
                             glyph("BBX 40 1 0 0", "0000000180") + "ENDFONT\n";
    const std::string on_off = "80 60 03 70 d8 a0 aa", on_on = "80 60 03 70 d8 60 56";
    const std::string off_off = "c0 30 01 38 6c d0 d5", off_on = "c0 30 01 38 6c b0 ab";
    const struct {
        std::vector<std::string> args;
        std::string rows, wide;
    } cases[] = {
        {{}, on_off, "0000000380"},
        {{"-r"}, off_off, "00000001c0"},
        {{"-lr"}, on_off, "0000000380"},  // only the second character counts
        {{"-L"}, on_on, "0000000380"},
        {{"-L", "-R"}, on_off, "0000000380"},  // a later option overrides
        {{"-r", "-l"}, on_off, "0000000380"},
        {{"-R", "-L", "-r"}, off_on, "00000001c0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        expect_run(stout(font, c.args), 0,
                   bold_header(box, "2") + glyph("BBX 8 7 0 0", c.rows) +
                       glyph("BBX 40 1 0 0", c.wide) + "ENDFONT\n",
                   "");
    }
}

TEST(GlyphstoutTool, RoadOfOneGlyph) {
    expect_run(
        stout(font_header("16 16 0 -2") + glyph("BBX 5 7 1 0", "70 88 88 F8 88 88 88") +
              "ENDFONT\n"),
        0, bold_header("16 16 0 -2") + glyph("BBX 5 7 1 0", "f0 98 98 f8 98 98 98") + "ENDFONT\n",
        "");
}

// The check is on bytes per row, against a font 10 pixels wide: two bytes.
TEST(GlyphstoutTool, BoundingBoxCheck) {
    // clang-format off
    const struct { std::string bbx; const char* row; } cases[] = {  // row: null when it fails
        {"BBX 16 7 0 0", "8000"}, {"BBX 17 7 0 0", nullptr}, {"BBX 0 7 0 0", "80"},
        {"BBX\t9  7", "8000"}, {"BBX 8 4294967295 0 0", "80"},  // the height is not checked
        {"BBX 9", nullptr}, {"BBX 2147483647 1 0 0", nullptr}, {"BBX -1 1 0 0", nullptr},
        {"BBX 4294967288 1 0 0", nullptr}};  // its width wraps around to -8
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bbx);
        const RunResult r =
            stout(font_header("10 16 0 -2") + GLYPH_START + c.bbx + "\nBITMAP\n80\n");
        if (c.row)
            expect_run(
                r, 0, bold_header("10 16 0 -2") + GLYPH_START + c.bbx + "\nBITMAP\n" + c.row + "\n",
                "");
        else
            expect_run(r, 1, bold_header("10 16 0 -2") + GLYPH_START,
                       "Incorrect bounding box data: " + c.bbx + "\n\n");
    }
    // Without FONTBOUNDINGBOX the font has one byte per row. The message
    // carries the line's own line end, or none.
    const std::string bare = "STARTFONT 2.1\nCHARS 2\n";
    expect_run(stout(bare + glyph("", "8001") + glyph("BBX 8 1 0 0", "01") + "BBX 9 1 0 0\r\n"), 1,
               bare + glyph("", "80") + glyph("BBX 8 1 0 0", "03"),
               "Incorrect bounding box data: BBX 9 1 0 0\r\n\n");
    expect_run(stout(bare + "BBX 9 1 0 0"), 1, bare, "Incorrect bounding box data: BBX 9 1 0 0\n");
}

// The byte count follows the last BBX line that passed, inside a bitmap too;
// rows are never counted against the height, and inside a bitmap every line
// but a keyword is a row.
TEST(GlyphstoutTool, GlyphStateAcrossLines) {
    const std::string box = "16 16 0 -2";
    const std::string font = font_header(box, "4") + glyph("", "8001") +
                             glyph("BBX 5 1 1 0", "8001 Ab fF") +
                             "STARTCHAR c\nBITMAP\n8001\nBBX 16 2 0 0\n8001\nENDCHAR\n" +
                             glyph("", "8001") + "BITMAP\nCOMMENT x\n\nSTARTCHAR y\nENDCHAR\n";
    const std::string want = bold_header(box, "4") + glyph("", "8003") +
                             glyph("BBX 5 1 1 0", "80 ab ff") +
                             "STARTCHAR c\nBITMAP\n80\nBBX 16 2 0 0\n8003\nENDCHAR\n" +
                             glyph("", "8003") + "BITMAP\nc000\n0000\n01a0\nENDCHAR\n";
    expect_run(stout(font), 0, want, "");
}

}  // namespace
}  // namespace glyph::test
