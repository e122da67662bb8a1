// The bold tool run whole, in-process, on small fonts written here.
#include <gtest/gtest.h>

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
    "Usage: glyphstout [OPTION] [FILE]\n\nWrite processed X11 BDF file to standard output.\n"
    "With no FILE, read standard input.\n\nOptions:\n"
    "  -l left shifted image OR original (default)\n  -r right shifted image OR original\n"
    "  -L reflect left edge\n  -R reflect right edge (default)\n  -V verbose output\n"
    "  -h display this help and exit\n";

std::string header(const std::string& box, const std::string& chars = "1",
                   const std::string& weight = "Medium") {
    return font_header(box, chars, weight);
}
std::string bold_header(const std::string& box, const std::string& chars = "1") {
    return header(box, chars, "Bold");
}

TEST(GlyphstoutTool, HelpAndOptionScanning) {
    const std::string font = header("8 16 0 -2") + glyph("BBX 8 1 0 0", "20") + "ENDFONT\n";
    const std::string plain = bold_header("8 16 0 -2") + glyph("BBX 8 1 0 0", "60") + "ENDFONT\n";
    expect_run(stout("", {"-h"}), 0, HELP, "");
    expect_run(stout("", {"-h", "no/such/font.bdf"}), 0, HELP, "");
    expect_run(stout("", {"-r", "-hx", "-V"}), 0, HELP, "");
    expect_run(stout(font, {"-p"}), 0, plain, "");  // no report in the bold tool
    expect_run(stout(font, {"--help"}), 0, plain, "");
    expect_run(stout(font, {"-"}), 0, plain, "");
    expect_run(stout(font, {""}), 1, "", "");  // an empty file name cannot be opened
    expect_run(stout(font, {"no/such/font.bdf", "-h"}), 1, "", "");
    // -h after the file name is not looked at.
    const std::string sample = read_file(SAMPLE_FONT);
    ASSERT_FALSE(sample.empty());
    RunResult from_stdin = stout(sample);
    EXPECT_EQ(from_stdin.status, 0);
    expect_run(stout("", {SAMPLE_FONT, "-h"}), 0, from_stdin.out, "");
    ScopedColumns columns(nullptr);
    expect_run(stout(font, {"-Verbose"}), 0, plain, "\r" + std::string(77, ' ') + "\r");
}

// Every pixel rule through the command line. The first glyph holds the rows of
// the rule table, the second a row whose two pixels sit across a word boundary.
TEST(GlyphstoutTool, FlagsReachEveryRow) {
    const std::string box = "40 16 0 -2";
    const std::string font = header(box, "2") + glyph("BBX 8 7 0 0", "80 20 01 30 48 A0 AA") +
                             glyph("BBX 40 1 0 0", "0000000180") + "ENDFONT\n";
    struct Case {
        std::vector<std::string> args;
        std::string rows, wide;
    };
    const std::string on_off = "80 60 03 70 d8 a0 aa", on_on = "80 60 03 70 d8 60 56";
    const std::string off_off = "c0 30 01 38 6c d0 d5", off_on = "c0 30 01 38 6c b0 ab";
    const Case cases[] = {
        {{}, on_off, "0000000380"},
        {{"-l"}, on_off, "0000000380"},
        {{"-r"}, off_off, "00000001c0"},
        {{"-lr"}, on_off, "0000000380"},  // only the second character counts
        {{"-rl"}, off_off, "00000001c0"},
        {{"-L"}, on_on, "0000000380"},
        {{"-L", "-R"}, on_off, "0000000380"},  // a later option overrides
        {{"-r", "-l"}, on_off, "0000000380"},
        {{"-R", "-L", "-r"}, off_on, "00000001c0"},
        {{"-x", "-Lr", "--r", "-"}, on_on, "0000000380"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        expect_run(stout(font, c.args), 0,
                   bold_header(box, "2") + glyph("BBX 8 7 0 0", c.rows) +
                       glyph("BBX 40 1 0 0", c.wide) + "ENDFONT\n",
                   "");
    }
}

TEST(GlyphstoutTool, RoadOfOneGlyph) {
    const std::string font =
        header("16 16 0 -2") + glyph("BBX 5 7 1 0", "70 88 88 F8 88 88 88") + "ENDFONT\n";
    expect_run(
        stout(font), 0,
        bold_header("16 16 0 -2") + glyph("BBX 5 7 1 0", "f0 98 98 f8 98 98 98") + "ENDFONT\n", "");
}

TEST(GlyphstoutTool, BoundingBoxCheck) {
    // Font 10 pixels wide: two bytes per row.
    struct Case {
        std::string bbx;
        const char* row;  // the row written, or null when the line fails
    };
    std::vector<Case> cases = {
        {"BBX 16 7 0 0", "8000"},
        {"BBX 17 7 0 0", nullptr},
        {"BBX 0 7 0 0", "80"},
        {"BBX 9 7", "8000"},
        {"BBX\t12  3 0 0", "8000"},
        {"BBX 16 99 0 0", "8000"},
        {"BBX 8 4294967295 0 0", "80"},
        {"BBX 8 -3 0 0", "80"},
        {"BBX 9", nullptr},
        {"BBX", nullptr},
        {"BBX x 7 0 0", nullptr},
        {"BBX 2147483647 16 0 0", nullptr},
        {"BBX 2147483648 1 0 0", nullptr},
        {"BBX -1 1 0 0", nullptr},
    };
    for (unsigned long w = 4294967282; w <= 4294967295; ++w)
        cases.push_back({"BBX " + std::to_string(w) + " 1 0 0", nullptr});
    const std::string before = "STARTCHAR g\nENCODING 65\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bbx);
        const std::string font = header("10 16 0 -2") + before + c.bbx + "\nBITMAP\n80\nENDCHAR\n";
        if (c.row) {
            expect_run(
                stout(font), 0,
                bold_header("10 16 0 -2") + before + c.bbx + "\nBITMAP\n" + c.row + "\nENDCHAR\n",
                "");
        } else {
            expect_run(stout(font), 1, bold_header("10 16 0 -2") + before,
                       "Incorrect bounding box data: " + c.bbx + "\n\n");
        }
    }
    // The message carries the line's own line end, or none.
    expect_run(stout(header("8 16 0 -2") + "BBX 9 1 0 0\r\nBITMAP\n"), 1, bold_header("8 16 0 -2"),
               "Incorrect bounding box data: BBX 9 1 0 0\r\n\n");
    expect_run(stout(header("8 16 0 -2") + "BBX 9 1 0 0"), 1, bold_header("8 16 0 -2"),
               "Incorrect bounding box data: BBX 9 1 0 0\n");
    // Without FONTBOUNDINGBOX the font has one byte per row.
    const std::string bare = "STARTFONT 2.1\nCHARS 2\n";
    expect_run(stout(bare + glyph("", "8001") + glyph("BBX 8 1 0 0", "01") + "BBX 9 1 0 0\n"), 1,
               bare + glyph("", "80") + glyph("BBX 8 1 0 0", "03"),
               "Incorrect bounding box data: BBX 9 1 0 0\n\n");
}

// The byte count follows the last BBX line that passed, inside a bitmap too,
// and the rows are never counted against the height.
TEST(GlyphstoutTool, GlyphStateAcrossLines) {
    const std::string box = "16 16 0 -2";
    const std::string font =
        header(box, "4") + glyph("", "8001") + glyph("BBX 5 1 1 0", "8001 Ab fF") +
        "STARTCHAR c\nBITMAP\n8001\nBBX 16 2 0 0\n8001\nENDCHAR\n" + glyph("", "8001") +
        "BITMAP\nCOMMENT x\n\nSTARTCHAR y\n1\0FF\nENDCHAR\nENDCHAR\n"s + "COMMENT a\0b\nENDFONT\n"s;
    const std::string want =
        bold_header(box, "4") + glyph("", "8003") + glyph("BBX 5 1 1 0", "80 ab ff") +
        "STARTCHAR c\nBITMAP\n80\nBBX 16 2 0 0\n8003\nENDCHAR\n" + glyph("", "8003") +
        "BITMAP\nc000\n0000\n01a0\n3000\nENDCHAR\nENDCHAR\n"
        "COMMENT a\0b\nENDFONT\n"s;
    expect_run(stout(font), 0, want, "");
}

// Lines arrive in pieces of at most 255 bytes, each handled as a line.
TEST(GlyphstoutTool, LongLinesLastLineAndLineEnds) {
    const std::string h = header("8 16 0 -2"), bh = bold_header("8 16 0 -2");
    const std::string comment = "COMMENT " + std::string(300, 'x') + "\n";
    const std::string split_keyword = "COMMENT " + std::string(247, 'x') + "BITMAP\n";
    const std::string r254 = std::string(254, '8') + "\n", r255 = std::string(255, '8') + "\n",
                      r256 = std::string(256, '8') + "\n";
    expect_run(stout(h + comment + split_keyword + "20\nENDCHAR\n"), 0,
               bh + comment + split_keyword + "60\nENDCHAR\n", "");
    expect_run(stout(h + "BITMAP\n" + r254 + r255 + r256 + "ENDCHAR\n"), 0,
               bh + "BITMAP\n98\n98\n00\n98\n80\nENDCHAR\n", "");
    // Without a line end at the end: a row still gets one, a copied line not.
    expect_run(stout(h + "BITMAP\n20"), 0, bh + "BITMAP\n60\n", "");
    expect_run(stout(h + glyph("", "20") + "ENDFONT"), 0, bh + glyph("", "60") + "ENDFONT", "");
    // CRLF lines: copied lines keep their line ends, rows are written with "\n".
    expect_run(stout(crlf(h + glyph("BBX 8 2 0 0", "70 88") + "ENDFONT\n")), 0,
               crlf(bh + "STARTCHAR g\nENCODING 65\nSWIDTH 500 0\nDWIDTH 8 0\nBBX 8 2 0 0\n"
                         "BITMAP\n") +
                   "f0\n98\n" + crlf("ENDCHAR\nENDFONT\n"),
               "");
    // Keywords are compared case-sensitively.
    const std::string lower =
        "font -x-Medium-r\nCHARS 1\nbbx 99 1 0 0\nbitmap\n20\nBITMAP\n20\n"
        "endchar\nENDCHAR\n";
    expect_run(stout(lower), 0,
               "font -x-Medium-r\nCHARS 1\nbbx 99 1 0 0\nbitmap\n20\nBITMAP\n60\ne0\nENDCHAR\n",
               "");
}

TEST(GlyphstoutTool, ProgressMeter) {
    const std::string three = header("8 16 0 -2", "3") + glyph("", "20") + glyph("", "20");
    const std::string bold3 = bold_header("8 16 0 -2", "3") + glyph("", "60") + glyph("", "60");
    {
        ScopedColumns columns("30");
        expect_run(
            stout(three + glyph("", "20"), {"-V"}), 0, bold3 + glyph("", "60"),
            "\rprogress|=====     66%|\rprogress|========= 100%\\\r" + std::string(27, ' ') + "\r");
        // A fatal box leaves the meter as drawn; the message follows it.
        expect_run(stout(three + "STARTCHAR z\nBBX 9 1 0 0\n", {"-V"}), 1, bold3 + "STARTCHAR z\n",
                   "\rprogress|=====     66%|Incorrect bounding box data: BBX 9 1 0 0\n\n");
        // "CHARS" without a number counts 0, which shows 100 per cent.
        expect_run(stout(header("8 16 0 -2", "") + glyph("", "20") + glyph("", "20"), {"-V"}), 0,
                   bold_header("8 16 0 -2", "") + glyph("", "60") + glyph("", "60"),
                   "\rprogress|========= 100%|\r" + std::string(27, ' ') + "\r");
        // A count beyond 32 bits saturates rather than wrapping to 2.
        expect_run(
            stout(header("8 16 0 -2", "4294967298") + glyph("", "20") + glyph("", "20"), {"-V"}), 0,
            bold_header("8 16 0 -2", "4294967298") + glyph("", "60") + glyph("", "60"),
            "\rprogress|          0%|\r" + std::string(27, ' ') + "\r");
        // A read error ends the run like any fatal condition: no blanking.
        expect_run(run_tool_on(run_glyphstout, three + glyph("", "20"), {"-V"}, EIO), 1,
                   bold3 + glyph("", "60"),
                   "\rprogress|=====     66%|\rprogress|========= 100%\\"
                   "Read error: Input/output error\n");
    }
    ScopedColumns narrow("10");  // below 21: laid out for 21
    expect_run(stout(three + glyph("", "20"), {"-V"}), 0, bold3 + glyph("", "60"),
               "\rprogress| 66%|\rprogress| 100%\\\r" + std::string(18, ' ') + "\r");
}

TEST(GlyphstoutTool, HeaderDecisions) {
    const std::string start = "STARTFONT 2.1\nFONT -Sample-Mono-Medium-R-Normal--16\n";
    const std::string bold_start = "STARTFONT 2.1\nFONT -Sample-Mono-Bold-R-Normal--16\n";
    const std::string body = glyph("BBX 8 1 0 0", "20") + "ENDFONT\n";
    const std::string bold_body = glyph("BBX 8 1 0 0", "60") + "ENDFONT\n";
    struct Case {
        std::string lines;  // between the FONT line and the glyph
        int status;
        std::string out_lines, err;
        bool body;  // whether the glyph section follows
    };
    const Case cases[] = {
        {"FONTBOUNDINGBOX 8\nCHARS 1\n", 1, "",
         "Incorrect bounding box data: FONTBOUNDINGBOX 8\n\n", false},
        {"FONTBOUNDINGBOX 2147483648 16 0 -2\nCHARS 1\n", 1, "",
         "Incorrect bounding box data: FONTBOUNDINGBOX 2147483648 16 0 -2\n\n", false},
        {"FONTBOUNDINGBOX 8 -16 0 -2\r\nCHARS 1\n", 1, "",
         "Incorrect bounding box data: FONTBOUNDINGBOX 8 -16 0 -2\r\n\n", false},
        {"FONTBOUNDINGBOX 8 16\nCHARS 1\n", 0, "FONTBOUNDINGBOX 8 16\nCHARS 1\n", "", true},
        {"FONTBOUNDINGBOX 2147483647 16 0 -2\nCHARS 1\n", 0,
         "FONTBOUNDINGBOX 2147483647 16 0 -2\nCHARS 1\n", "", true},
        {"CHARS -1\n", 1, "CHARS -1\n", "Incorrect glyph count: CHARS -1\n\n", false},
        {"CHARS -99999999999\n", 1, "CHARS -99999999999\n",
         "Incorrect glyph count: CHARS -99999999999\n\n", false},
        {"CHARS -4294967295\n", 1, "CHARS -4294967295\n",
         "Incorrect glyph count: CHARS -4294967295\n\n", false},
        {"CHARS 99999999999\n", 0, "CHARS 99999999999\n", "", true},
        {"CHARS\n", 0, "CHARS\n", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        expect_run(stout(start + c.lines + body), c.status,
                   bold_start + c.out_lines + (c.body ? bold_body : ""), c.err);
    }
    // No CHARS line: the whole input is copied, renamed but not emboldened.
    expect_run(stout(start + body), 0, bold_start + body, "");
    expect_run(stout(""), 0, "", "");
}

TEST(GlyphstoutTool, ReadErrorsAndMemory) {
    const std::string font = header("8 16 0 -2") + glyph("", "20") + "BITMAP\n20";
    const std::string done = bold_header("8 16 0 -2") + glyph("", "60") + "BITMAP\n60\n";
    expect_run(run_tool_on(run_glyphstout, font, {}, EIO), 1, done,
               "Read error: Input/output error\n");
    expect_run(run_tool_on(run_glyphstout, "STARTFONT 2.1\n", {}, EIO), 1, "STARTFONT 2.1\n",
               "Read error: Input/output error\n");
    expect_run(stout("", {"."}), 1, "", "Read error: Is a directory\n");

    struct Limit {
        explicit Limit(std::size_t bytes) { set_allocation_limit(bytes); }
        ~Limit() { set_allocation_limit(0); }
    } limit(4 << 20);
    // A huge font box costs nothing until a glyph needs it.
    const std::string big = header("60000 60000 0 0") + glyph("BBX 8 1 0 0", "20") + "ENDFONT\n";
    expect_run(stout(big), 0,
               bold_header("60000 60000 0 0") + glyph("BBX 8 1 0 0", "60") + "ENDFONT\n", "");
    const std::string huge = header("2147483647 16 0 -2") + "BBX 2000000000 1 0 0\nBITMAP\n20\n";
    expect_run(stout(huge), 1, bold_header("2147483647 16 0 -2") + "BBX 2000000000 1 0 0\nBITMAP\n",
               "FATAL: Memory exhausted");
}

}  // namespace
}  // namespace glyph::test
