// The oblique tool run whole, in-process, on small fonts written here.
#include <gtest/gtest.h>

#include <string>

#include "font_text.hpp"
#include "tool_harness.hpp"

namespace glyph::test {
namespace {

using namespace std::string_literals;

// The header as written: `box` is the widened font box.
std::string oblique_header(const std::string& box, const std::string& chars = "1") {
    return font_header(box, chars, "Medium", "I");
}

TEST(GlyphslopeTool, RoadsOfGlyphs) {
    // A vertical stroke 16 rows high leans by one pixel every three rows.
    const std::string stroke = times(16, "10");
    const std::string leaning = times(3, "0080") + times(3, "0100") + times(3, "0200") +
                                times(3, "0400") + times(3, "0800") + "1000";
    // A stroke rising to the right gets its step at row 3 repaired; rows 1 to
    // 3 of the third glyph are turned by the entry whose output is longer
    // than its input.
    const std::string font = font_header("8 16 0 -2", "3") + glyph("BBX 8 16 0 -2", stroke) +
                             glyph("BBX 8 7 0 0", "04 08 08 10 10 20 20") +
                             glyph("BBX 8 7 0 0", "00 08 30 C4 00 00 00") + "ENDFONT\n";
    expect_run(slope(font), 0,
               oblique_header("13 16 -2 -2", "3") + glyph("BBX 13 16 -2 -2", leaning) +
                   glyph("BBX 10 7 -1 0", "0100 0200 0400 0400 0800 1000 2000") +
                   glyph("BBX 10 7 -1 0", "0000 0200 0C00 7000 0000 0000 0000") + "ENDFONT\n",
               "");
}

// A vertical stroke, which no pattern repairs, with N rows per step: without
// -b, bands of N rows from the top row; with -b, the row at height t in band
// floor(t / N), the bottom band in place. Worked out here from heights.
TEST(GlyphslopeTool, RowsPerStepAndTheBaseline) {
    const struct {
        int w, h, x, y;
    } boxes[] = {{8, 16, 0, -2}, {5, 13, 1, -3}, {6, 7, 0, 0}, {4, 5, 2, 3},
                 {3, 4, 0, -4},  {7, 2, 0, -1},  {8, 1, 1, 0}};
    const auto floor_div = [](int a, int n) { return a >= 0 ? a / n : -((-a + n - 1) / n); };
    int runs = 0;
    for (const int n : {1, 2, 3, 4, 7, 16})
        for (const bool baseline : {false, true})
            for (const auto& b : boxes) {
                const int lo = baseline ? floor_div(b.y, n) : 0;
                const int hi = baseline ? floor_div(b.y + b.h - 1, n) : (b.h - 1) / n;
                const int x = baseline ? b.x + lo : b.x - hi / 2;
                const std::string bbx = "BBX " + std::to_string(b.w) + " " + std::to_string(b.h);
                const std::string out_bbx = "BBX " + std::to_string(b.w + hi - lo) + " " +
                                            std::to_string(b.h) + " " + std::to_string(x) + " " +
                                            std::to_string(b.y);
                std::string rows, want;
                for (int i = 0; i < b.h; ++i) {
                    rows += "40 ";  // the stroke in column 1
                    const int band = baseline ? floor_div(b.y + b.h - 1 - i, n) : hi - i / n;
                    const int col = 1 + band - lo, width = b.w + hi - lo;
                    std::string bits(std::size_t((width + 7) / 8 * 8), '0');
                    bits[std::size_t(col)] = '1';
                    for (std::size_t k = 0; k < bits.size(); k += 4) {
                        const int v = std::stoi(bits.substr(k, 4), nullptr, 2);
                        want += "0123456789ABCDEF"[v];
                    }
                    want += " ";
                }
                std::vector<std::string> args = {"-s", std::to_string(n)};
                if (baseline) args.push_back("-b");
                const std::string box = std::to_string(b.w) + " " + std::to_string(b.h) + " " +
                                        std::to_string(b.x) + " " + std::to_string(b.y);
                SCOPED_TRACE(box + " -s " + std::to_string(n) + (baseline ? " -b" : ""));
                const RunResult r =
                    slope(font_header(box) + glyph("BBX " + box, rows) + "ENDFONT\n", args);
                EXPECT_EQ(r.status, 0);
                EXPECT_EQ(r.out,
                          oblique_header(out_bbx.substr(4)) + glyph(out_bbx, want) + "ENDFONT\n");
                ++runs;
            }
    RecordProperty("runs", runs);
    // Boxes of width or height 0 are written, and their rows, as without -b.
    const std::string empty = font_header("8 16 0 -2", "2") + glyph("BBX 0 16 0 -2", "80 80") +
                              glyph("BBX 5 0 1 -2", "F8") + "ENDFONT\n";
    for (const char* n : {"3", "1", "7"}) {
        const std::string plain = slope(empty, {"-s", n}).out;
        EXPECT_EQ(slope(empty, {"-b", "-s", n}).out.substr(plain.find("STARTCHAR")),
                  plain.substr(plain.find("STARTCHAR")))
            << n;
    }
}

// -s 3 is the default; -s reads its value joined or as the next argument,
// and options act in order.
TEST(GlyphslopeTool, RowsPerStepOptions) {
    const std::string sample = read_file(SAMPLE_FONT);
    const std::string plain = slope(sample).out;
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"-s", "3"}, {"-s3"}, {"-s", "7", "-s03"}, {"-s16", "-s", "3"}})
        EXPECT_EQ(slope(sample, args).out, plain) << args[0];
    EXPECT_NE(slope(sample, {"-s", "4"}).out, plain);
    EXPECT_EQ(slope(sample, {"-s", "4"}).out, slope(sample, {"-s4"}).out);
    // The pattern list of the level in force when -p is read.
    const auto entries = [](const std::string& report) {
        std::size_t count = 0;
        for (std::size_t at = report.find("\ncorrect "); at != std::string::npos;
             at = report.find("\ncorrect ", at + 1))
            ++count;
        return count;
    };
    EXPECT_EQ(entries(slope("", {"-s", "1", "-p"}).out), 3u);
    EXPECT_EQ(entries(slope("", {"-s2", "-p", "-s", "1"}).out), 19u);
    EXPECT_EQ(entries(slope("", {"-p", "-s", "1"}).out), 34u);
    EXPECT_EQ(entries(slope("", {"-s", "9", "-p"}).out), 34u);
    // Bad values: one message, status 1, nothing read or written.
    const struct {
        std::vector<std::string> args;
        const char* message;
    } bad[] = {{{"-s"}, "Missing argument for -s\n"},
               {{"-b", "-s"}, "Missing argument for -s\n"},
               {{"-s", "0"}, "Incorrect slant: 0\n"},
               {{"-s", "17"}, "Incorrect slant: 17\n"},
               {{"-s", "-3"}, "Incorrect slant: -3\n"},
               {{"-s", "3x", "FONT"}, "Incorrect slant: 3x\n"},
               {{"-s1.5"}, "Incorrect slant: 1.5\n"},
               {{"-s", ""}, "Incorrect slant: \n"},
               {{"-s", " 4"}, "Incorrect slant:  4\n"},
               {{"-s", "99999999999"}, "Incorrect slant: 99999999999\n"},
               {{"-s", "x", "-h"}, "Incorrect slant: x\n"}};
    for (const auto& c : bad) {
        SCOPED_TRACE(c.message);
        expect_run(slope(sample, c.args), 1, "", c.message);
    }
    expect_run(slope(sample, {"-h", "-s"}), 0, slope("", {"-h"}).out, "");
}

// Against the font box 10 16 0 -2: slant extra 5, slanted width 15.
TEST(GlyphslopeTool, BoundingBoxCheck) {
    const struct {
        std::string bbx;
        const char* written;  // null when the line fails
        std::string rows;     // the rows written for the one bitmap line 80
    } cases[] = {
        {"BBX 12 10 0 0", "BBX 15 10 -1 0", "1000 " + times(9, "0000")},
        {"BBX 13 10 0 0", nullptr, ""},
        {"BBX 8 17 0 0", nullptr, ""},
        {"BBX\t5  2 1 -1 junk", "BBX 5 2 1 -1", "80 00"},
        {"BBX 15 1 0 0", "BBX 15 1 0 0", "8000"},
        {"BBX 16 1 0 0", nullptr, ""},
        {"BBX 0 16 0 0", "BBX 0 16 0 0", times(16, "00")},
        {"BBX 0 0 0 0", "BBX 0 0 0 0", ""},
        {"BBX 8 16 0", nullptr, ""},
        {"BBX 2147483647 16 0 0", nullptr, ""},  // the sums do not wrap around
        {"BBX 8 -1 0 0", nullptr, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bbx);
        const RunResult r = slope(font_header("10 16 0 -2") + glyph(c.bbx, "80"));
        if (c.written)
            expect_run(r, 0, oblique_header("15 16 -2 -2") + glyph(c.written, c.rows), "");
        else
            expect_run(r, 1, oblique_header("15 16 -2 -2") + GLYPH_START,
                       "Incorrect bounding box data: " + c.bbx + "\n\n");
    }
    // A glyph wider than the font box but low enough to pass is processed whole.
    expect_run(slope(font_header("8 16 0 -2") + glyph("BBX 13 1 0 0", "fff8")), 0,
               oblique_header("13 16 -2 -2") + glyph("BBX 13 1 0 0", "FFF8"), "");
    // A font box of height 0 has no slant; only empty glyphs fit it. Without
    // FONTBOUNDINGBOX the font box is empty too.
    expect_run(slope(font_header("8 0 0 0", "3") + glyph("BBX 8 0 0 0", "FF") + glyph("", "FF") +
                     "BBX 8 1 0 0\n"),
               1, oblique_header("8 0 0 0", "3") + glyph("BBX 8 0 0 0", "") + glyph("", ""),
               "Incorrect bounding box data: BBX 8 1 0 0\n\n");
    const std::string bare = "STARTFONT 2.1\nCHARS 2\n";
    expect_run(slope(bare + glyph("", "FF") + glyph("BBX 0 0 0 0", "FF") + "BBX 1 1 0 0\n"), 1,
               bare + glyph("", "") + glyph("BBX 0 0 0 0", ""),
               "Incorrect bounding box data: BBX 1 1 0 0\n\n");
}

// The glyph values follow the last BBX line that passed; rows a glyph does not
// supply are clear, rows beyond its height are dropped.
TEST(GlyphslopeTool, GlyphStateAcrossLines) {
    const std::string font = font_header("16 4 0 0", "8") + glyph("", "8001 8001 8001 8001") +
                             glyph("BBX 5 2 1 0", "FF FF00 F8") +
                             "STARTCHAR c\nBITMAP\nFF\nBBX 16 2 0 0\nFFFF\nENDCHAR\n" +
                             glyph("", "0001 8000 1234") + "STARTCHAR e\nENDCHAR\nENDCHAR\n" +
                             glyph("", "ffff") + "BITMAP\nSTARTCHAR y\n1\0FF\nENDCHAR\n"s +
                             "bitmap\nBITMAP\nendchar\nENDCHAR\n"s;
    const std::string want =
        oblique_header("17 4 0 0", "8") + glyph("", "400080 400080 400080 800100") +
        glyph("BBX 5 2 1 0", "F8 F8") + "STARTCHAR c\nBITMAP\nBBX 16 2 0 0\nFF00\nFFFF\nENDCHAR\n" +
        glyph("", "0001 8000") + "STARTCHAR e\n0000\n0000\nENDCHAR\n0000\n0000\nENDCHAR\n" +
        glyph("", "FFFF 0000") + "BITMAP\n00A0\n1000\nENDCHAR\n" +
        "bitmap\nBITMAP\nE0DC\n0000\nENDCHAR\n"s;
    expect_run(slope(font), 0, want, "");
}

}  // namespace
}  // namespace glyph::test
