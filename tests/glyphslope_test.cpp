// The oblique tool run whole, in-process, on small fonts written here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
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
    "Usage: glyphslope [OPTION] [FILE]\n\nWrite processed X11 BDF file to standard output.\n"
    "With no FILE, read standard input.\n\nOptions:\n"
    "  -p print a pattern table for pixel correction used by slanting\n"
    "  -V verbose output\n  -h display this help and exit\n";

std::string header(const std::string& box, const std::string& chars = "1",
                   const std::string& slant = "R") {
    return font_header(box, chars, "Medium", slant);
}
// The header as written: `box` is the widened font box.
std::string oblique_header(const std::string& box, const std::string& chars = "1") {
    return header(box, chars, "I");
}

TEST(GlyphslopeTool, HelpAndPatternReport) {
    expect_run(slope("", {"-h"}), 0, HELP, "");
    expect_run(slope("", {"-h", "no/such/font.bdf"}), 0, HELP, "");
    expect_run(slope("", {"-h", "-p"}), 0, HELP, "");

    const RunResult report = slope("", {"-p"});
    EXPECT_EQ(report.status, 0);
    EXPECT_EQ(report.err, "");
    EXPECT_EQ(report.out.size(), 2826u);
    EXPECT_EQ(std::count(report.out.begin(), report.out.end(), '\n'), 308);
    const std::string head =
        "=== Pattern table ===\nFollowing patterns is for pixel correction in slant.\n"
        "Priority between patterns depends on pattern ID.\n\n"
        "correct 3\ninput (-2, 5)\n-2:\t..@\n-1:\t.@\n 0:\t.@\n 1:\t@..\n 2:\t@.\n"
        "output (-1, 1)\n-1:\t.$\n\ncorrect 3\n";
    EXPECT_EQ(report.out.substr(0, head.size()), head);
    EXPECT_TRUE(report.out.ends_with("-1:\t$\n\n=== End of Pattern table ===\n"));
    expect_run(slope("", {"-p", "-h"}), 0, report.out, "");
    expect_run(slope("", {"-Verbose", "-px", "no/such/font.bdf"}), 0, report.out, "");
    expect_run(stoutslope("", {"-p"}), 0, report.out, "");

    // After the file name neither is looked at.
    const std::string sample = read_file(SAMPLE_FONT);
    ASSERT_FALSE(sample.empty());
    const RunResult from_stdin = slope(sample);
    EXPECT_EQ(from_stdin.status, 0);
    expect_run(slope("", {SAMPLE_FONT, "-h"}), 0, from_stdin.out, "");
    expect_run(slope("", {SAMPLE_FONT, "-p"}), 0, from_stdin.out, "");
    expect_run(slope("", {"no/such/font.bdf", "-p"}), 1, "", "");
}

TEST(GlyphslopeTool, OptionScanning) {
    const std::string font = header("8 16 0 -2") + glyph("BBX 8 2 0 0", "A0 AA") + "ENDFONT\n";
    const std::string want =
        oblique_header("13 16 -2 -2") + glyph("BBX 8 2 0 0", "A0 AA") + "ENDFONT\n";
    // The options of the bold tools mean nothing here.
    const std::vector<std::vector<std::string>> ignored = {
        {}, {"-r"}, {"-L"}, {"-l", "-R"}, {"-rL"}, {"--help"}, {"-"}, {"-x", "--p"}};
    for (const auto& args : ignored) {
        SCOPED_TRACE(::testing::PrintToString(args));
        expect_run(slope(font, args), 0, want, "");
    }
    expect_run(slope(font, {""}), 1, "", "");
    ScopedColumns columns(nullptr);
    expect_run(slope(font, {"-r", "-Verbose"}), 0, want, "\r" + std::string(77, ' ') + "\r");
}

TEST(GlyphslopeTool, RoadsOfGlyphs) {
    // A vertical stroke 16 rows high leans by one pixel every three rows.
    const std::string stroke = times(16, "10");
    const std::string leaning = times(3, "0080") + times(3, "0100") + times(3, "0200") +
                                times(3, "0400") + times(3, "0800") + "1000";
    // A stroke rising to the right gets its step at row 3 repaired; rows 1 to
    // 3 of the third glyph are turned by the entry whose output is longer
    // than its input.
    const std::string font = header("8 16 0 -2", "3") + glyph("BBX 8 16 0 -2", stroke) +
                             glyph("BBX 8 7 0 0", "04 08 08 10 10 20 20") +
                             glyph("BBX 8 7 0 0", "00 08 30 C4 00 00 00") + "ENDFONT\n";
    expect_run(slope(font), 0,
               oblique_header("13 16 -2 -2", "3") + glyph("BBX 13 16 -2 -2", leaning) +
                   glyph("BBX 10 7 -1 0", "0100 0200 0400 0400 0800 1000 2000") +
                   glyph("BBX 10 7 -1 0", "0000 0200 0C00 7000 0000 0000 0000") + "ENDFONT\n",
               "");
}

TEST(GlyphslopeTool, BoundingBoxCheck) {
    // Font box 10 16 0 -2: slant extra 5, slanted width 15.
    struct Case {
        std::string bbx;
        const char* written;  // null when the line fails
        std::string rows;     // the rows written for the one bitmap line 80
    };
    const Case cases[] = {
        {"BBX 12 10 0 0", "BBX 15 10 -1 0", "1000 " + times(9, "0000")},
        {"BBX 13 10 0 0", nullptr, ""},
        {"BBX 8 17 0 0", nullptr, ""},
        {"BBX 4 9 2 -1", "BBX 6 9 1 -1", "20 " + times(8, "00")},
        {"BBX\t5  2 1 -1 junk", "BBX 5 2 1 -1", "80 00"},
        {"BBX 15 1 0 0", "BBX 15 1 0 0", "8000"},
        {"BBX 16 1 0 0", nullptr, ""},
        {"BBX 0 16 0 0", "BBX 0 16 0 0", times(16, "00")},
        {"BBX 0 0 0 0", "BBX 0 0 0 0", ""},
        {"BBX 8 16 0", nullptr, ""},
        {"BBX 8 16", nullptr, ""},
        {"BBX", nullptr, ""},
        {"BBX 2147483647 16 0 0", nullptr, ""},
        {"BBX 2147483648 1 0 0", nullptr, ""},
        {"BBX 4294967295 1 0 0", nullptr, ""},
        {"BBX -1 1 0 0", nullptr, ""},
        {"BBX 8 -1 0 0", nullptr, ""},
        {"BBX 8 4294967295 0 0", nullptr, ""},
    };
    const std::string before = "STARTCHAR g\nENCODING 65\nSWIDTH 500 0\nDWIDTH 8 0\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bbx);
        const RunResult r = slope(header("10 16 0 -2") + glyph(c.bbx, "80"));
        if (c.written) {
            expect_run(r, 0, oblique_header("15 16 -2 -2") + glyph(c.written, c.rows), "");
        } else {
            expect_run(r, 1, oblique_header("15 16 -2 -2") + before,
                       "Incorrect bounding box data: " + c.bbx + "\n\n");
        }
    }
    // A glyph wider than the font box but low enough to pass is processed whole.
    expect_run(slope(header("8 16 0 -2") + glyph("BBX 13 1 0 0", "fff8")), 0,
               oblique_header("13 16 -2 -2") + glyph("BBX 13 1 0 0", "FFF8"), "");
    expect_run(slope(header("8 16 0 -2") + "BBX 2147483647 16 0 0\r\n"), 1,
               oblique_header("13 16 -2 -2"),
               "Incorrect bounding box data: BBX 2147483647 16 0 0\r\n\n");
    expect_run(slope(header("8 16 0 -2") + "BBX 8 17 0 0"), 1, oblique_header("13 16 -2 -2"),
               "Incorrect bounding box data: BBX 8 17 0 0\n");
    // A font box of height 0 has no slant; only empty glyphs fit it.
    expect_run(slope(header("8 0 0 0", "3") + glyph("BBX 8 0 0 0", "FF") + glyph("", "FF") +
                     "BBX 8 1 0 0\n"),
               1, oblique_header("8 0 0 0", "3") + glyph("BBX 8 0 0 0", "") + glyph("", ""),
               "Incorrect bounding box data: BBX 8 1 0 0\n\n");
    // Without FONTBOUNDINGBOX the font box is empty too.
    const std::string bare = "STARTFONT 2.1\nCHARS 2\n";
    expect_run(slope(bare + glyph("", "FF") + glyph("BBX 0 0 0 0", "FF") + "BBX 1 1 0 0\n"), 1,
               bare + glyph("", "") + glyph("BBX 0 0 0 0", ""),
               "Incorrect bounding box data: BBX 1 1 0 0\n\n");
}

// The glyph values follow the last BBX line that passed; rows a glyph does not
// supply are clear, rows beyond its height are dropped.
TEST(GlyphslopeTool, GlyphStateAcrossLines) {
    const std::string font = header("16 4 0 0", "8") + glyph("", "8001 8001 8001 8001") +
                             glyph("BBX 5 2 1 0", "FF FF00 F8") +
                             "STARTCHAR c\nBITMAP\nFF\nBBX 16 2 0 0\nFFFF\nENDCHAR\n" +
                             glyph("", "0001 8000 1234") + "STARTCHAR e\nENDCHAR\nENDCHAR\n" +
                             glyph("", "ffff") + "BITMAP\nSTARTCHAR y\n1\0FF\nENDCHAR\n"s +
                             "COMMENT a\0b\nbitmap\nBITMAP\nendchar\nENDCHAR\n"s;
    const std::string want =
        oblique_header("17 4 0 0", "8") + glyph("", "400080 400080 400080 800100") +
        glyph("BBX 5 2 1 0", "F8 F8") + "STARTCHAR c\nBITMAP\nBBX 16 2 0 0\nFF00\nFFFF\nENDCHAR\n" +
        glyph("", "0001 8000") + "STARTCHAR e\n0000\n0000\nENDCHAR\n0000\n0000\nENDCHAR\n" +
        glyph("", "FFFF 0000") + "BITMAP\n00A0\n1000\nENDCHAR\n" +
        "COMMENT a\0b\nbitmap\nBITMAP\nE0DC\n0000\nENDCHAR\n"s;
    expect_run(slope(font), 0, want, "");
}

TEST(GlyphslopeTool, LongLinesLastLineAndLineEnds) {
    // Font box 8 3 0 0: no slant, three rows.
    const std::string h = header("8 3 0 0"), oh = oblique_header("8 3 0 0");
    const std::string comment = "COMMENT " + std::string(300, 'x') + "\n";
    const std::string split_keyword = "COMMENT " + std::string(247, 'x') + "BITMAP\n";
    const std::string r254 = std::string(254, '8') + "\n", r255 = std::string(255, '8') + "\n",
                      r256 = std::string(256, '8') + "\n";
    expect_run(slope(h + comment + split_keyword + "20\nENDCHAR\n"), 0,
               oh + comment + split_keyword + "20\n00\n00\nENDCHAR\n", "");
    expect_run(slope(h + "BITMAP\n" + r254 + r255 + "ENDCHAR\nBITMAP\n" + r256 + "ENDCHAR\n"), 0,
               oh + "BITMAP\n88\n88\n00\nENDCHAR\nBITMAP\n88\n80\n00\nENDCHAR\n", "");
    // Rows of a glyph left open at the end are never written.
    expect_run(slope(h + "BITMAP\n20\n20"), 0, oh + "BITMAP\n", "");
    expect_run(slope(h + glyph("", "20") + "ENDFONT"), 0, oh + glyph("", "20 00 00") + "ENDFONT",
               "");
    // CRLF lines: copied lines keep their line ends; the rebuilt boxes and the
    // rows end in "\n".
    expect_run(slope(crlf("STARTFONT 2.1\nFONT -x-Medium-R-\n") +
                     "FONTBOUNDINGBOX 8 7 0 0\r\nCHARS 1\r\n" +
                     crlf(glyph("BBX 8 7 0 0", "04 08 08 10 10 20 20") + "ENDFONT\n")),
               0,
               crlf("STARTFONT 2.1\nFONT -x-Medium-I-\n") +
                   "FONTBOUNDINGBOX 10 7 -1 0\nCHARS 1\r\n" +
                   crlf("STARTCHAR g\nENCODING 65\nSWIDTH 500 0\nDWIDTH 8 0\n") +
                   "BBX 10 7 -1 0\n" + crlf("BITMAP\n") +
                   "0100\n0200\n0400\n0400\n0800\n1000\n2000\n" + crlf("ENDCHAR\nENDFONT\n"),
               "");
    // Keywords are compared case-sensitively.
    expect_run(slope("font -x-Medium-r-\nCHARS 1\nbbx 99 1 0 0\nendchar\n"), 0,
               "font -x-Medium-r-\nCHARS 1\nbbx 99 1 0 0\nendchar\n", "");
}

TEST(GlyphslopeTool, ProgressMeter) {
    const std::string three = header("8 3 0 0", "3") + glyph("", "20") + glyph("", "20");
    const std::string out3 =
        oblique_header("8 3 0 0", "3") + glyph("", "20 00 00") + glyph("", "20 00 00");
    ScopedColumns columns("30");
    expect_run(
        slope(three + glyph("", "20"), {"-V"}), 0, out3 + glyph("", "20 00 00"),
        "\rprogress|=====     66%|\rprogress|========= 100%\\\r" + std::string(27, ' ') + "\r");
    expect_run(slope(three + "STARTCHAR z\nBBX 9 1 0 0\n", {"-V"}), 1, out3 + "STARTCHAR z\n",
               "\rprogress|=====     66%|Incorrect bounding box data: BBX 9 1 0 0\n\n");
}

TEST(GlyphslopeTool, HeaderDecisions) {
    const std::string start = "STARTFONT 2.1\nFONT -Sample-Mono-Medium-R-Normal--16\n";
    const std::string oblique_start = "STARTFONT 2.1\nFONT -Sample-Mono-Medium-I-Normal--16\n";
    const std::string body = glyph("BBX 8 1 0 0", "ff") + "ENDFONT\n";
    const std::string oblique_body = glyph("BBX 8 1 0 0", "FF") + "ENDFONT\n";
    struct Case {
        std::string lines;  // between the FONT line and the glyph
        int status;
        std::string out_lines, err;
        bool body;  // whether the glyph section follows
    };
    const Case cases[] = {
        {"FONTBOUNDINGBOX 8 16 0\nCHARS 1\n", 1, "",
         "Incorrect bounding box data: FONTBOUNDINGBOX 8 16 0\n\n", false},
        {"FONTBOUNDINGBOX 2147483648 16 0 -2\nCHARS 1\n", 1, "",
         "Incorrect bounding box data: FONTBOUNDINGBOX 2147483648 16 0 -2\n\n", false},
        {"FONTBOUNDINGBOX 8 -16 0 -2\nCHARS 1\n", 1, "",
         "Incorrect bounding box data: FONTBOUNDINGBOX 8 -16 0 -2\n\n", false},
        {"FONTBOUNDINGBOX 2147483647 16 0 -2\nCHARS 1\n", 0,
         "FONTBOUNDINGBOX 2147483652 16 -2 -2\nCHARS 1\n", "", true},
        {"FONTBOUNDINGBOX 8 16 0 -2\nCHARS -1\n", 1, "FONTBOUNDINGBOX 13 16 -2 -2\nCHARS -1\n",
         "Incorrect glyph count: CHARS -1\n\n", false},
        {"FONTBOUNDINGBOX 8 16 0 -2\nCHARS 99999999999\n", 0,
         "FONTBOUNDINGBOX 13 16 -2 -2\nCHARS 99999999999\n", "", true},
        {"FONTBOUNDINGBOX 8 16 0 -2\nCHARS\n", 0, "FONTBOUNDINGBOX 13 16 -2 -2\nCHARS\n", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        expect_run(slope(start + c.lines + body), c.status,
                   oblique_start + c.out_lines + (c.body ? oblique_body : ""), c.err);
    }
    // No CHARS line: the whole input is copied, renamed and widened but not slanted.
    expect_run(slope(start + "FONTBOUNDINGBOX 8 16 0 -2\n" + body), 0,
               oblique_start + "FONTBOUNDINGBOX 13 16 -2 -2\n" + body, "");
}

TEST(GlyphslopeTool, ReadErrorsAndMemory) {
    const std::string font = header("8 3 0 0") + glyph("", "20") + "BITMAP\n20\nENDCHAR";
    const std::string done =
        oblique_header("8 3 0 0") + glyph("", "20 00 00") + "BITMAP\n20\n00\n00\nENDCHAR";
    expect_run(run_tool_on(run_glyphslope, font, {}, EIO), 1, done,
               "Read error: Input/output error\n");
    expect_run(slope("", {"."}), 1, "", "Read error: Is a directory\n");

    AllocationLimit limit(4 << 20);
    const std::string big =
        header("60000 60000 0 0") + glyph("BBX 8 7 0 0", "04 08 08 10 10 20 20") + "ENDFONT\n";
    expect_run(slope(big), 0,
               oblique_header("79999 60000 -9999 0") +
                   glyph("BBX 10 7 -1 0", "0100 0200 0400 0400 0800 1000 2000") + "ENDFONT\n",
               "");
    expect_run(slope(header("60000 60000 0 0") + "BBX 40000 60000 0 0\nBITMAP\nENDCHAR\n"), 1,
               oblique_header("79999 60000 -9999 0") + "BBX 59999 60000 -9999 0\nBITMAP\n",
               "FATAL: Memory exhausted");
}

}  // namespace
}  // namespace glyph::test
