// -w of the two bold tools: boxes one pixel wider on the growth side, and
// rows given a clear pixel there before the bold rule, so that no stroke
// loses its growth at the box's edge.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "font_text.hpp"
#include "tool_harness.hpp"

namespace glyph::test {
namespace {

const std::string HEAD = "STARTFONT 2.1\nFONTBOUNDINGBOX ";

// The box lines each tool writes for a box line read, under -w and -w -r; an
// empty text: the run ends there with the message and status 1.
TEST(Widen, BoxLines) {
    const struct {
        ToolEntry tool;
        std::string read, left, right;
    } cases[] = {
        {run_glyphstout, "FONTBOUNDINGBOX 8 16 0 -2", "FONTBOUNDINGBOX 9 16 -1 -2",
         "FONTBOUNDINGBOX 9 16 0 -2"},
        {run_glyphstout, "FONTBOUNDINGBOX  8\t16 3 2 extra", "FONTBOUNDINGBOX 9 16 2 2",
         "FONTBOUNDINGBOX 9 16 3 2"},
        // A box of width or height 0 is copied as it stands.
        {run_glyphstout, "FONTBOUNDINGBOX 0 16  0 -2", "FONTBOUNDINGBOX 0 16  0 -2",
         "FONTBOUNDINGBOX 0 16  0 -2"},
        {run_glyphstout, "FONTBOUNDINGBOX 8 16 0", "", ""},
        {run_glyphstout, "FONTBOUNDINGBOX 2147483647 16 0 0", "", ""},
        {run_glyphstout, "FONTBOUNDINGBOX 2147483646 16 -2147483648 0",
         "FONTBOUNDINGBOX 2147483647 16 2147483647 0",
         "FONTBOUNDINGBOX 2147483647 16 -2147483648 0"},
        {run_glyphstoutslope, "FONTBOUNDINGBOX 8 16 0 -2", "FONTBOUNDINGBOX 14 16 -3 -2",
         "FONTBOUNDINGBOX 14 16 -2 -2"},
        {run_glyphstoutslope, "FONTBOUNDINGBOX 5 3 1 0", "FONTBOUNDINGBOX 6 3 0 0",
         "FONTBOUNDINGBOX 6 3 1 0"},
        {run_glyphstoutslope, "FONTBOUNDINGBOX 8 0 1 0", "FONTBOUNDINGBOX 8 0 1 0",
         "FONTBOUNDINGBOX 8 0 1 0"},
        {run_glyphstoutslope, "FONTBOUNDINGBOX 2147483642 16 0 0", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.read);
        const std::string font = "STARTFONT 2.1\n" + c.read + "\nCHARS 0\n";
        for (const bool right : {false, true}) {
            std::vector<std::string> args{"-w"};
            if (right) args.push_back("-r");
            const RunResult r = run_tool_on(c.tool, font, args);
            const std::string& want = right ? c.right : c.left;
            if (want.empty())
                expect_run(r, 1, "STARTFONT 2.1\n",
                           "Incorrect bounding box data: " + c.read + "\n\n");
            else
                expect_run(r, 0, "STARTFONT 2.1\n" + want + "\nCHARS 0\n", "");
        }
    }
}

// Glyph boxes are widened as the font box is, and checked widened against the
// widened font box: in bytes per row by glyphstout, in slanted widths by
// glyphstoutslope. A box without offsets fails with -w.
TEST(Widen, GlyphBoxesAndTheirCheck) {
    const struct {
        ToolEntry tool;
        std::string font_box, bbx, written;  // written empty: the check fails
    } cases[] = {
        {run_glyphstout, "8 16 0 -2", "BBX 7 10 0 0", "BBX 8 10 -1 0"},
        {run_glyphstout, "8 16 0 -2", "BBX 15 1 -3 5", "BBX 16 1 -4 5"},  // 2 bytes of 9
        {run_glyphstout, "8 16 0 -2", "BBX 16 1 0 0", ""},                // 17 pixels: 3 bytes
        {run_glyphstout, "8 16 0 -2", "BBX 0 16 0 0", "BBX 0 16 0 0"},
        {run_glyphstout, "8 16 0 -2", "BBX 8 16", ""},
        {run_glyphstoutslope, "8 16 0 -2", "BBX 8 16 0 -2", "BBX 14 16 -3 -2"},
        {run_glyphstoutslope, "8 16 0 -2", "BBX 9 16 0 -2", ""},  // 9 + 5 + 1 > 14
        {run_glyphstoutslope, "8 16 0 -2", "BBX 0 16 0 0", "BBX 0 16 0 0"},
        {run_glyphstoutslope, "8 16 0 -2", "BBX 12 2 1 0", "BBX 13 2 0 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bbx);
        const RunResult r = run_tool_on(
            c.tool, font_header(c.font_box) + GLYPH_START + c.bbx + "\nBITMAP\nENDCHAR\n", {"-w"});
        EXPECT_EQ(r.status, c.written.empty() ? 1 : 0);
        if (c.written.empty())
            EXPECT_EQ(r.err, "Incorrect bounding box data: " + c.bbx + "\n\n");
        else
            EXPECT_NE(r.out.find("\n" + c.written + "\nBITMAP\n"), std::string::npos) << r.out;
    }
}

// A width or height above 2147483647 as written, a minus sign included, makes
// a box line unreadable with -w, in both tools and on both sides of growth:
// rewritten, it would carry a wrapped number the font never held.
TEST(Widen, NumbersAboveTheLimitAsWritten) {
    const std::string header = font_header("8 16 0 -2");
    for (const std::string numbers :
         {"6 -13 0 -2", "6 99999999999 0 -2", "-6 13 0 -2", "99999999999 13 0 -2"}) {
        for (const ToolEntry tool : {run_glyphstout, run_glyphstoutslope}) {
            for (const char* side : {"-l", "-r"}) {
                const std::vector<std::string> args{"-w", side};
                // The run ends at the line: what comes before it is written as
                // the tool writes it, the line and all after it are not.
                const struct {
                    std::string line, input, written;
                } lines[] = {
                    {"BBX " + numbers, header + GLYPH_START + "BBX " + numbers + "\nBITMAP\n18\n",
                     run_tool_on(tool, header, args).out + GLYPH_START},
                    {"FONTBOUNDINGBOX " + numbers,
                     "STARTFONT 2.1\nFONTBOUNDINGBOX " + numbers + "\nCHARS 0\n",
                     "STARTFONT 2.1\n"},
                };
                for (const auto& l : lines) {
                    SCOPED_TRACE(l.line + " " + side);
                    expect_run(run_tool_on(tool, l.input, args), 1, l.written,
                               "Incorrect bounding box data: " + l.line + "\n\n");
                }
            }
        }
    }
}

// The bold rule by its per-pixel formulas, on a row of `width` pixels.
std::vector<bool> bold_pixels(const std::vector<bool>& s, bool left_shift, bool reflect_left,
                              std::size_t written) {
    auto at = [&](long x) { return x >= 0 && x < long(s.size()) && s[std::size_t(x)]; };
    std::vector<bool> b(written);
    for (long x = 0; x < long(written); ++x) {
        if (left_shift)
            b[std::size_t(x)] = reflect_left ? at(x + 1) || (at(x) && !at(x + 2))
                                             : at(x) || (at(x + 1) && !at(x - 1));
        else
            b[std::size_t(x)] = reflect_left ? at(x) || (at(x - 1) && !at(x + 1))
                                             : at(x - 1) || (at(x) && !at(x - 2));
    }
    return b;
}

std::string hex(const std::vector<bool>& pixels, std::size_t bytes) {
    std::string text;
    for (std::size_t d = 0; d < 2 * bytes; ++d) {
        int v = 0;
        for (std::size_t b = 0; b < 4; ++b)
            v = v << 1 | (4 * d + b < pixels.size() && pixels[4 * d + b]);
        text += "0123456789abcdef"[v];
    }
    return text;
}

// Rows with ink in both edge columns, and set bits past the width in the last
// byte, for widths on both sides of byte boundaries and every rule: the row
// written is the bold form of the row cut to its width with a clear pixel
// added on the growth side, in 2 * ceil((width + 1) / 8) digits. A glyph of
// three rows is not slanted, so glyphstoutslope writes the same rows.
TEST(Widen, EdgeInkKeepsItsGrowth) {
    for (const std::size_t width : {1, 7, 8, 9, 15, 16, 17, 31, 32, 33, 63, 64, 65}) {
        const std::size_t read_bytes = (width + 7) / 8, bytes = width / 8 + 1;
        std::vector<bool> pixels(8 * read_bytes, true);  // past the width too
        for (std::size_t x = 1; x + 1 < width; ++x)
            pixels[x] = x % 3 == 0;
        const std::string row = hex(pixels, read_bytes);
        pixels.resize(width);
        const std::string bbx = "BBX " + std::to_string(width) + " 2 0 0";
        const std::string font = font_header("72 16 0 -2") + GLYPH_START + bbx + "\nBITMAP\n" +
                                 row + "\n" + row + "\nENDCHAR\n";
        for (int rule = 0; rule < 4; ++rule) {
            const bool left = rule < 2, reflect = rule % 2 == 1;
            std::vector<std::string> args{"-w", left ? "-l" : "-r", reflect ? "-L" : "-R"};
            std::vector<bool> widened = pixels;
            if (left)
                widened.insert(widened.begin(), false);
            else
                widened.push_back(false);
            const std::string want = hex(bold_pixels(widened, left, reflect, 8 * bytes), bytes);
            for (const ToolEntry tool : {run_glyphstout, run_glyphstoutslope}) {
                const RunResult r = run_tool_on(tool, font, args);
                SCOPED_TRACE("width " + std::to_string(width) + " rule " + std::to_string(rule));
                EXPECT_EQ(r.status, 0);
                EXPECT_NE(r.out.find("BITMAP\n" + want + "\n" + want + "\nENDCHAR"),
                          std::string::npos)
                    << r.out;
            }
        }
    }
}

// The letter H of the sample font: without -w the left stem cannot grow, with
// it both stems are two pixels wide, in both directions of growth.
TEST(Widen, SampleFontStemsOfEqualWeight) {
    const std::string font = read_file(SAMPLE_FONT);
    auto rows_of_h = [&](ToolEntry tool, std::vector<std::string> args) {
        const std::string out = run_tool_on(tool, font, args).out;
        const std::size_t at = out.find("BITMAP\n", out.find("STARTCHAR H\n")) + 7;
        return out.substr(at, out.find('\n', at) - at);
    };
    EXPECT_EQ(rows_of_h(run_glyphstout, {}), "86");  // X....XX.
    EXPECT_EQ(rows_of_h(run_glyphstout, {"-w"}), "c3");
    EXPECT_EQ(rows_of_h(run_glyphstout, {"-w", "-r"}), "c3");
    EXPECT_EQ(rows_of_h(run_glyphstoutslope, {}), "30c0");  // ..XX....XX.. after the slant
    EXPECT_EQ(rows_of_h(run_glyphstoutslope, {"-w"}), "1860");
}

}  // namespace
}  // namespace glyph::test
