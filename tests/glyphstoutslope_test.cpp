// The bold-oblique tool run whole, in-process, on small fonts written here,
// and its agreement with the other two tools where no slant applies.
#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "font_text.hpp"
#include "memory.hpp"
#include "tool_harness.hpp"

namespace glyph::test {
namespace {

using namespace std::string_literals;

const std::string HELP =
    "Usage: glyphstoutslope [OPTION] [FILE]\n\nWrite processed X11 BDF file to standard output.\n"
    "With no FILE, read standard input.\n\nOptions:\n"
    "  -l left shifted image OR original (default)\n  -r right shifted image OR original\n"
    "  -L reflect left edge\n  -R reflect right edge (default)\n"
    "  -p print a pattern table for pixel correction used by slanting\n"
    "  -V verbose output\n  -h display this help and exit\n";

// The header as written: `box` is the widened font box.
std::string bold_oblique_header(const std::string& box, const std::string& chars = "1") {
    return font_header(box, chars, "Bold", "I");
}

TEST(GlyphstoutslopeTool, HelpReportAndOptionScanning) {
    expect_run(stoutslope("", {"-h"}), 0, HELP, "");
    expect_run(stoutslope("", {"-r", "-h", "no/such/font.bdf"}), 0, HELP, "");
    expect_run(stoutslope("", {"-h", "-p"}), 0, HELP, "");
    const RunResult report = stoutslope("", {"-p"});
    EXPECT_EQ(report.out.size(), 2826u);
    expect_run(stoutslope("", {"-pV", "-h"}), 0, report.out, "");
    expect_run(stoutslope("", {"no/such/font.bdf", "-h"}), 1, "", "");
    expect_run(stoutslope("x", {""}), 1, "", "");

    const std::string font = font_header("16 16 0 -2") + glyph("BBX 5 7 1 0", times(7, "88")) +
                             glyph("BBX 8 4 0 0", times(4, "A8")) + "ENDFONT\n";
    // Vertical strokes lean; the flags then act on the slanted rows.
    struct Case {
        std::vector<std::string> args;
        std::string narrow, wide;
    };
    const std::string on_off = "66 66 66 cc cc cc 98", off = "33 33 33 66 66 66 cc";
    const Case cases[] = {
        {{}, on_off, "d400 d400 d400 a800"},
        {{"-lr"}, on_off, "d400 d400 d400 a800"},
        {{"-r"}, off, "6a00 6a00 6a00 d400"},
        {{"-Lr", "--help", "-"}, on_off, "ac00 ac00 ac00 5800"},
        {{"-r", "-L"}, off, "5600 5600 5600 ac00"},
        {{"-r", "-L", "-R", "-l"}, on_off, "d400 d400 d400 a800"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        expect_run(stoutslope(font, c.args), 0,
                   bold_oblique_header("21 16 -2 -2") + glyph("BBX 7 7 0 0", c.narrow) +
                       glyph("BBX 9 4 0 0", c.wide) + "ENDFONT\n",
                   "");
    }
    ScopedColumns columns("30");
    // The second ENDCHAR has no bitmap of its own: seven clear rows.
    const std::string two = glyph("BBX 5 7 1 0", times(7, "88")) + "ENDCHAR\n";
    const std::string clear7 = "00\n00\n00\n00\n00\n00\n00\n";
    expect_run(stoutslope(font_header("16 16 0 -2", "2") + two, {"-Verbose"}), 0,
               bold_oblique_header("21 16 -2 -2", "2") + glyph("BBX 7 7 0 0", on_off) + clear7 +
                   "ENDCHAR\n",
               "\rprogress|========= 100%|\r" + std::string(27, ' ') + "\r");
    expect_run(stoutslope(font_header("16 16 0 -2", "2") + two + "BBX 8 17 0 0\n", {"-V"}), 1,
               bold_oblique_header("21 16 -2 -2", "2") + glyph("BBX 7 7 0 0", on_off) + clear7 +
                   "ENDCHAR\n",
               "\rprogress|========= 100%|Incorrect bounding box data: BBX 8 17 0 0\n\n");
}

TEST(GlyphstoutslopeTool, GlyphsAndBoxes) {
    // Font box 8 16 0 -2: slant extra 5, slanted width 13.
    const std::string font =
        font_header("8 16 0 -2", "7") + glyph("BBX 8 7 0 0", "04 08 08 10 10 20 20") +
        glyph("BBX 0 16 0 0", "FF") + glyph("BBX 0 0 0 0", "FF") + glyph("BBX 0 2 0 0", "") +
        glyph("BBX 13 1 0 0", "fff8") + glyph("BBX 8 3 0 0", "FF F0 0F FF") +
        "STARTCHAR short\nBITMAP\n18\nENDCHAR\nENDCHAR\n" + "BITMAP\n1\0FF\nendchar\n"s +
        std::string(255, '8') + "\nENDCHAR\nENDFONT";
    const std::string want = bold_oblique_header("13 16 -2 -2", "7") +
                             glyph("BBX 10 7 -1 0", "0300 0600 0c00 0c00 1800 3000 6000") +
                             glyph("BBX 0 16 0 0", times(16, "00")) + glyph("BBX 0 0 0 0", "") +
                             glyph("BBX 0 2 0 0", "00 00") + glyph("BBX 13 1 0 0", "fff8") +
                             glyph("BBX 8 3 0 0", "ff f0 1f") +
                             "STARTCHAR short\nBITMAP\n38\n00\n00\nENDCHAR\n" +
                             "00\n00\n00\nENDCHAR\nBITMAP\n30\ne0\n98\nENDCHAR\nENDFONT";
    expect_run(stoutslope(font), 0, want, "");

    const std::string before = "STARTCHAR g\nENCODING 65\nSWIDTH 500 0\nDWIDTH 8 0\n";
    for (const char* bbx : {"BBX 14 1 0 0", "BBX 8 17 0 0", "BBX 8 16 0", "BBX 2147483647 16 0 0",
                            "BBX -8 1 0 0", "BBX 8 4294967295 0 0"}) {
        SCOPED_TRACE(bbx);
        expect_run(stoutslope(font_header("8 16 0 -2") + glyph(bbx, "FF")), 1,
                   bold_oblique_header("13 16 -2 -2") + before,
                   "Incorrect bounding box data: "s + bbx + "\n\n");
    }
    // A font box of height 0 has no slant, and without one the box is empty.
    expect_run(stoutslope(font_header("8 0 0 0") + glyph("BBX 8 0 0 0", "FF") + glyph("", "FF")), 0,
               bold_oblique_header("8 0 0 0") + glyph("BBX 8 0 0 0", "") + glyph("", ""), "");
    expect_run(stoutslope("CHARS 1\n" + glyph("BBX 0 0 0 0", "FF") + "BBX 1 1 0 0\r\n"), 1,
               "CHARS 1\n" + glyph("BBX 0 0 0 0", ""),
               "Incorrect bounding box data: BBX 1 1 0 0\r\n\n");
}

TEST(GlyphstoutslopeTool, FatalConditions) {
    const std::string start = "STARTFONT 2.1\nFONT -Sample-Mono-Medium-R-Normal--16\n";
    const std::string bold_start = "STARTFONT 2.1\nFONT -Sample-Mono-Bold-I-Normal--16\n";
    const std::string body = glyph("BBX 8 1 0 0", "20") + "ENDFONT\n";
    expect_run(stoutslope(start + "FONTBOUNDINGBOX 8 16\nCHARS 1\n" + body), 1, bold_start,
               "Incorrect bounding box data: FONTBOUNDINGBOX 8 16\n\n");
    expect_run(stoutslope(start + "FONTBOUNDINGBOX -8 16 0 0\nCHARS 1\n" + body), 1, bold_start,
               "Incorrect bounding box data: FONTBOUNDINGBOX -8 16 0 0\n\n");
    expect_run(stoutslope(start + "CHARS -5\n" + body), 1, bold_start + "CHARS -5\n",
               "Incorrect glyph count: CHARS -5\n\n");
    expect_run(stoutslope(start + "FONTBOUNDINGBOX 8 3 0 0\n" + body), 0,
               bold_start + "FONTBOUNDINGBOX 8 3 0 0\n" + body, "");
    expect_run(run_tool_on(run_glyphstoutslope,
                           start + "FONTBOUNDINGBOX 8 16 0 -2\nCHARS 1\n" + body, {"-r"}, EIO),
               1,
               bold_start + "FONTBOUNDINGBOX 13 16 -2 -2\nCHARS 1\n" + glyph("BBX 8 1 0 0", "30") +
                   "ENDFONT\n",
               "Read error: Input/output error\n");
    expect_run(stoutslope("", {"."}), 1, "", "Read error: Is a directory\n");

    AllocationLimit limit(4 << 20);
    expect_run(
        stoutslope(font_header("60000 60000 0 0") + glyph("BBX 5 7 1 0", times(7, "88"))), 0,
        bold_oblique_header("79999 60000 -9999 0") + glyph("BBX 7 7 0 0", "66 66 66 cc cc cc 98"),
        "");
    expect_run(
        stoutslope(font_header("60000 60000 0 0") + "BBX 40000 60000 0 0\nBITMAP\nENDCHAR\n"), 1,
        bold_oblique_header("79999 60000 -9999 0") + "BBX 59999 60000 -9999 0\nBITMAP\n",
        "FATAL: Memory exhausted");
}

// Glyphs of at most three rows have no slant: the bold-oblique tool writes the
// rows the bold tool writes, and the oblique tool writes them as read, in
// uppercase and cut to the width.
TEST(GlyphstoutslopeTool, AgreesWithTheOtherToolsWithoutSlant) {
    std::mt19937 random(20240611);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    const char* digits = "0123456789abcdef";
    std::string body, as_read_upper;
    const int glyph_count = 200;
    for (int g = 0; g < glyph_count; ++g) {
        const int w = pick(1, 40), h = pick(1, 3), bytes = (w + 7) / 8;
        const std::string bbx = "BBX " + std::to_string(w) + " " + std::to_string(h) + " 0 0";
        std::string rows, upper;
        for (int r = 0; r < h; ++r) {
            std::string row;
            for (int b = 0; b < bytes; ++b) {
                int bits = pick(0, 255);
                if (b == bytes - 1 && w % 8 != 0) bits &= 0xff << (8 - w % 8);
                row += digits[bits >> 4];
                row += digits[bits & 15];
            }
            std::string up = row;
            for (char& c : up)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (pick(0, 1)) row = up;          // either case reads alike
            if (pick(0, 3) == 0) row += "F7";  // digits beyond the width are cut
            rows += row + " ";
            upper += up + " ";
        }
        body += glyph(bbx, rows);
        as_read_upper += glyph(bbx, upper);
    }
    body += "ENDFONT\n";
    as_read_upper += "ENDFONT\n";
    const std::string chars = std::to_string(glyph_count);
    const std::string font = font_header("40 16 0 -2", chars) + body;
    auto glyph_section = [&](const std::string& out) {
        std::size_t at = out.find("CHARS " + chars + "\n");
        return at == std::string::npos ? "<no CHARS line>" : out.substr(at + chars.size() + 7);
    };
    const std::vector<std::vector<std::string>> flag_sets = {{}, {"-r"}, {"-L"}, {"-r", "-L"}};
    for (const auto& flags : flag_sets) {
        SCOPED_TRACE(::testing::PrintToString(flags));
        const RunResult bold = stout(font, flags), bold_oblique = stoutslope(font, flags);
        ASSERT_EQ(bold.status, 0);
        ASSERT_EQ(bold_oblique.status, 0);
        EXPECT_TRUE(bold_oblique.out.starts_with(bold_oblique_header("45 16 -2 -2", chars)));
        EXPECT_EQ(glyph_section(bold_oblique.out), glyph_section(bold.out));
        EXPECT_NE(glyph_section(bold.out), body);  // the rows were emboldened
    }
    const RunResult oblique = slope(font);
    EXPECT_EQ(oblique.status, 0);
    EXPECT_EQ(oblique.out, font_header("45 16 -2 -2", chars, "Medium", "I") + as_read_upper);
}

}  // namespace
}  // namespace glyph::test
