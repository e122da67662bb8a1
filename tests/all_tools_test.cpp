// What the three tools share, each run whole in-process: option scanning, the
// header decisions, lines and their pieces, the meter, read errors and memory,
// and the project's sample font through every tool.
#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "font_text.hpp"
#include "slant_geometry.hpp"
#include "slant_patterns.hpp"
#include "tool_harness.hpp"

namespace glyph::test {
namespace {

using namespace std::string_literals;

// The option lines of the help texts.
const std::string FLAGS =
    "  -l left shifted image OR original (default)\n  -r right shifted image OR original\n"
    "  -L reflect left edge\n  -R reflect right edge (default)\n"
    "  -w widen glyph boxes by one pixel on the growth side\n"
    "  -a widen the advance of every glyph with ink by one pixel\n";
const std::string REPORT =
    "  -b lean about the baseline (pixels on it stay in place)\n"
    "  -s N rows per one-pixel step of slant, 1 to 16 (default 3)\n"
    "  -p print a pattern table for pixel correction used by slanting\n";
const std::string VERBOSE_HELP = "  -V verbose output\n  -h display this help and exit\n";

struct Tool {
    const char* name;
    ToolEntry entry;
    const char* weight;  // what it writes for Medium and R
    const char* slant;
    bool bold, slants;
    std::string options;  // the option lines of its help text
};

const Tool TOOLS[] = {
    {"glyphstout", run_glyphstout, "Bold", "R", true, false, FLAGS + VERBOSE_HELP},
    {"glyphslope", run_glyphslope, "Medium", "I", false, true, REPORT + VERBOSE_HELP},
    {"glyphstoutslope", run_glyphstoutslope, "Bold", "I", true, true,
     FLAGS + REPORT + VERBOSE_HELP}};

RunResult run(const Tool& t, const std::string& input, std::vector<std::string> args = {},
              const char* columns = nullptr, int read_errno = 0) {
    return run_tool_on(t.entry, input, std::move(args), columns, read_errno);
}

// The header of a test font as `t` writes it, for a box without slant.
std::string header_out(const Tool& t, const std::string& box, const std::string& chars = "1") {
    return font_header(box, chars, t.weight, t.slant);
}

// The rows `t` writes: `bold` in the tools that embolden, `plain` otherwise.
std::string rows(const Tool& t, const std::string& bold, const std::string& plain) {
    return t.bold ? bold : plain;
}

// `text` with the first `from` replaced by `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

const std::string BLANK_80 = "\r" + std::string(77, ' ') + "\r";
const std::string BLANK_30 = "\r" + std::string(27, ' ') + "\r";
const char* const MISSING = "no/such/font.bdf";

TEST(AllTools, OptionScanning) {
    StringSink report;
    print_slant_patterns(report, SLANT_RATIO);
    const std::string sample = read_file(SAMPLE_FONT);
    ASSERT_FALSE(sample.empty());
    const std::string font = font_header("8 1 0 0") + glyph("BBX 8 1 0 0", "20") + "ENDFONT\n";
    // What each of the three tools does: h the help text; p the pattern report;
    // f the font filtered as without options; v the same with the meter's
    // blanking; m status 1 and nothing written (no file of that name); s the
    // sample font read from the file named; - another test's concern.
    // clang-format off
    const struct { std::vector<std::string> args; const char* outcome; } cases[] = {
        {{"-h"}, "hhh"}, {{"-h", MISSING}, "hhh"}, {{"-r", "-hx", "-V"}, "hhh"},
        {{"-h", "-p"}, "hhh"}, {{"-p"}, "fpp"}, {{"-p", "-h"}, "hpp"},
        {{"-Verbose", "-px", MISSING}, "mpp"}, {{"--help"}, "fff"}, {{"-", "-x", "--p"}, "fff"},
        {{"-r", "-L"}, "-f-"}, {{"-Verbose"}, "vvv"}, {{""}, "mmm"}, {{MISSING, "-h"}, "mmm"},
        // After the file name nothing is looked at.
        {{SAMPLE_FONT, "-h"}, "sss"}, {{SAMPLE_FONT, "-p"}, "sss"}};
    // clang-format on
    for (std::size_t i = 0; i < std::size(TOOLS); ++i) {
        const Tool& t = TOOLS[i];
        const std::string help = "Usage: "s + t.name +
                                 " [OPTION] [FILE]\n\nWrite processed X11 BDF file to standard "
                                 "output.\nWith no FILE, read standard input.\n\nOptions:\n" +
                                 t.options;
        const std::string filtered =
            header_out(t, "8 1 0 0") + glyph("BBX 8 1 0 0", rows(t, "60", "20")) + "ENDFONT\n";
        const std::map<char, RunResult> expected = {
            {'h', {0, help, ""}},     {'p', {0, report.text(), ""}},
            {'f', {0, filtered, ""}}, {'v', {0, filtered, BLANK_80}},
            {'m', {1, "", ""}},       {'s', run(t, sample)}};
        for (const auto& c : cases) {
            if (c.outcome[i] == '-') continue;
            SCOPED_TRACE(t.name + " "s + ::testing::PrintToString(c.args));
            const RunResult& e = expected.at(c.outcome[i]);
            expect_run(run(t, font, c.args), e.status, e.out, e.err);
        }
    }
}

TEST(AllTools, HeaderDecisions) {
    const std::string body = glyph("BBX 8 1 0 0", "20") + "ENDFONT\n";
    const struct {
        const char* lines;  // between the FONT line and the glyph
        int status;
        std::string out, err;
        char body;  // what follows: n nothing, p the glyph processed, c copied
    } cases[] = {
        {"FONTBOUNDINGBOX 8\nCHARS 1\n", 1, "",
         "Incorrect bounding box data: FONTBOUNDINGBOX 8\n\n", 'n'},
        {"FONTBOUNDINGBOX 8 -16 0 -2\r\nCHARS 1\n", 1, "",
         "Incorrect bounding box data: FONTBOUNDINGBOX 8 -16 0 -2\r\n\n", 'n'},
        {"CHARS -99999999999\n", 1, "CHARS -99999999999\n",
         "Incorrect glyph count: CHARS -99999999999\n\n", 'n'},
        {"FONTBOUNDINGBOX 8 1 0 0\nCHARS\n", 0, "FONTBOUNDINGBOX 8 1 0 0\nCHARS\n", "", 'p'},
        // No CHARS line: the input is copied whole, renamed but not processed.
        {"FONTBOUNDINGBOX 8 1 0 0\n", 0, "FONTBOUNDINGBOX 8 1 0 0\n", "", 'c'}};
    for (const Tool& t : TOOLS) {
        const std::string start_out = "STARTFONT 2.1\nFONT -x-"s + t.weight + "-" + t.slant + "-\n";
        for (const auto& c : cases) {
            SCOPED_TRACE(t.name + " "s + c.lines);
            const std::string rest = c.body == 'p'   ? glyph("BBX 8 1 0 0", rows(t, "60", "20"))
                                     : c.body == 'c' ? glyph("BBX 8 1 0 0", "20")
                                                     : "";
            expect_run(run(t, "STARTFONT 2.1\nFONT -x-Medium-R-\n"s + c.lines + body), c.status,
                       start_out + c.out + rest + (c.body == 'n' ? "" : "ENDFONT\n"), c.err);
        }
        expect_run(run(t, ""), 0, "", "");
    }
}

// Lines arrive in pieces of at most 255 bytes, each handled as a line; a NUL
// byte ends a row's text but not a copied line; keywords are case-sensitive.
TEST(AllTools, PiecesLineEndsAndNulBytes) {
    // No slant, three rows a glyph: the glyphs below supply three pieces each.
    const std::string in_header = "COMMENT h\0h\n"s + font_header("8 3 0 0");
    const std::string comment = "COMMENT " + std::string(300, 'x') + "\n";
    const std::string split = "COMMENT " + std::string(247, 'x') + "BITMAP\n";  // two pieces
    const std::string r254 = std::string(254, '8') + "\n", r255 = std::string(255, '8') + "\n",
                      r256 = std::string(256, '8') + "\n";
    const std::string font = in_header + comment + split + "20\n" + r255 + "ENDCHAR\nBITMAP\n" +
                             r254 + r256 + "ENDCHAR\nBITMAP\n1\0FF\n4\n20\nENDCHAR\n"s +
                             "COMMENT a\0b\nENDFONT"s;
    const std::string lower =
        "font -x-Medium-r\nCHARS 1\nbbx 99 1 0 0\nbitmap\n20\nBITMAP\n20\n"
        "endchar\nENDCHAR\nBITMAP\n20";
    for (const Tool& t : TOOLS) {
        SCOPED_TRACE(t.name);
        const std::string out_header = "COMMENT h\0h\n"s + header_out(t, "8 3 0 0");
        expect_run(
            run(t, font), 0,
            out_header + comment + split +
                rows(t, "60\n98\n00\nENDCHAR\nBITMAP\n98\n98\n80\nENDCHAR\nBITMAP\n30\nc0\n60\n",
                     "20\n88\n00\nENDCHAR\nBITMAP\n88\n88\n80\nENDCHAR\nBITMAP\n10\n40\n20\n") +
                "ENDCHAR\nCOMMENT a\0b\nENDFONT"s,
            "");
        // Without FONTBOUNDINGBOX the slanting tools see glyphs of height 0. A
        // row without a line end at the end is written with one; the rows of a
        // glyph left open are not.
        expect_run(run(t, lower), 0,
                   "font -x-Medium-r\nCHARS 1\nbbx 99 1 0 0\nbitmap\n20\nBITMAP\n" +
                       (t.slants ? "ENDCHAR\nBITMAP\n"s : "60\ne0\nENDCHAR\nBITMAP\n60\n"s),
                   "");
        // CRLF lines keep their line ends; rows and the boxes the slanting tools
        // rebuild end in "\n".
        std::string want = crlf(header_out(t, "8 3 0 0") + glyph("BBX 8 3 0 0", ""));
        if (t.slants) {
            want = replaced(want, "FONTBOUNDINGBOX 8 3 0 0\r\n", "FONTBOUNDINGBOX 8 3 0 0\n");
            want = replaced(want, "BBX 8 3 0 0\r\n", "BBX 8 3 0 0\n");
        }
        want = replaced(want, "BITMAP\r\n", "BITMAP\r\n" + rows(t, "60\nc0\n30\n", "20\n40\n10\n"));
        expect_run(run(t, crlf(font_header("8 3 0 0") + glyph("BBX 8 3 0 0", "20 40 10"))), 0, want,
                   "");
    }
}

TEST(AllTools, ProgressMeter) {
    const std::string drawn = "\rprogress|=====     66%|\rprogress|========= 100%\\";
    const struct {
        const char* chars;
        int glyphs;
        std::string tail;
        int read_errno, status;
        std::string err;
    } cases[] = {
        {"3", 3, "", 0, 0, drawn + BLANK_30},
        // A fatal condition leaves the meter as drawn; the message follows it.
        {"3", 2, "STARTCHAR z\nBBX 9 1 0 0\n", 0, 1,
         "\rprogress|=====     66%|Incorrect bounding box data: BBX 9 1 0 0\n\n"},
        {"3", 3, "", EIO, 1, drawn + "Read error: Input/output error\n"},
        // "CHARS" without a number counts 0, which shows 100 per cent; a count
        // beyond 32 bits saturates rather than wrapping to 2.
        {"", 2, "", 0, 0, "\rprogress|========= 100%|" + BLANK_30},
        {"4294967298", 2, "", 0, 0, "\rprogress|          0%|" + BLANK_30},
    };
    for (const Tool& t : TOOLS) {
        for (const auto& c : cases) {
            SCOPED_TRACE(t.name + " "s + c.chars + " " + c.tail);
            std::string in = font_header("8 1 0 0", c.chars),
                        out = header_out(t, "8 1 0 0", c.chars);
            for (int g = 0; g < c.glyphs; ++g) {
                in += glyph("", "20");
                out += glyph("", rows(t, "60", "20"));
            }
            const std::string stop = c.tail.empty() ? "" : "STARTCHAR z\n";
            expect_run(run(t, in + c.tail, {"-V"}, "30", c.read_errno), c.status, out + stop,
                       c.err);
        }
    }
}

TEST(AllTools, ReadErrorsAndMemory) {
    for (const Tool& t : TOOLS) {
        SCOPED_TRACE(t.name);
        // The lines read before the error are processed; the last is not ended.
        const std::string row = rows(t, "60", "20");
        expect_run(run(t, font_header("8 1 0 0") + glyph("", "20") + "BITMAP\n20\nENDCHAR", {},
                       nullptr, EIO),
                   1, header_out(t, "8 1 0 0") + glyph("", row) + "BITMAP\n" + row + "\nENDCHAR",
                   "Read error: Input/output error\n");
        expect_run(run(t, "STARTFONT 2.1\n", {}, nullptr, EIO), 1, "STARTFONT 2.1\n",
                   "Read error: Input/output error\n");
        expect_run(run(t, "", {"."}), 1, "", "Read error: Is a directory\n");

        // A huge font box costs nothing until a glyph needs the memory.
        AllocationLimit limit(4 << 20);
        const std::string box = t.slants ? "2147503646 60000 -9999 0" : "2147483647 60000 0 0";
        const std::string big = font_header("2147483647 60000 0 0") + glyph("BBX 8 1 0 0", "20");
        const std::string big_out =
            font_header(box, "1", t.weight, t.slant) + glyph("BBX 8 1 0 0", rows(t, "60", "20"));
        expect_run(run(t, big), 0, big_out, "");
        expect_run(run(t, big + "BBX 2000000000 1 0 0\nBITMAP\n20\n"), 1,
                   big_out + "BBX 2000000000 1 0 0\nBITMAP\n", "FATAL: Memory exhausted");
    }
}

// ---- the sample font ----

// The box line a slanting tool writes for `line`: widened by (height - 1) / 3,
// the x offset moved left by half of that; an empty box stays.
std::string slanted(const std::string& line) {
    std::istringstream in(line);
    std::string keyword;
    long w = 0, h = 0, x = 0, y = 0;
    in >> keyword >> w >> h >> x >> y;
    const long extra = w > 0 && h > 0 ? (h - 1) / 3 : 0;
    return keyword + " " + std::to_string(w + extra) + " " + std::to_string(h) + " " +
           std::to_string(x - extra / 2) + " " + std::to_string(y);
}

// Whether every pixel set in `plain` is also set in `bold`.
bool covers(const std::string& bold, const std::string& plain) {
    const unsigned long b = std::stoul(bold, nullptr, 16), p = std::stoul(plain, nullptr, 16);
    return bold.size() == plain.size() && (b & p) == p;
}

// Line by line: outside the bitmaps only the names and, in the slanting tools,
// the boxes change; every glyph keeps one row per pixel of its height, each of
// the digits its width needs, in the tool's case. With the default flags
// emboldening only adds pixels: the bold rows cover the rows as read, the
// bold-oblique rows cover the oblique ones.
TEST(AllTools, SampleFontLineByLine) {
    const std::string source = read_file(SAMPLE_FONT);
    const std::vector<std::string> input = split_lines(source);
    std::vector<std::vector<std::string>> outputs;
    for (const Tool& t : TOOLS) {
        SCOPED_TRACE(t.name);
        const RunResult r = run(t, source);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        const std::vector<std::string> out = split_lines(r.out);
        ASSERT_EQ(out.size(), input.size());
        const std::vector<std::string>& plain = t.slants && t.bold ? outputs.back() : input;
        bool in_bitmap = false;
        std::size_t digits = 0;
        int glyphs = 0;
        for (std::size_t i = 0; i < input.size(); ++i) {
            const std::string& in = input[i];
            if (in_bitmap && in != "ENDCHAR") {
                EXPECT_EQ(out[i].size(), digits) << "line " << i;
                EXPECT_EQ(
                    out[i].find_first_not_of(t.bold ? "0123456789abcdef" : "0123456789ABCDEF"),
                    std::string::npos)
                    << "line " << i;
                EXPECT_TRUE(!t.bold || covers(out[i], plain[i])) << "line " << i;
                continue;
            }
            in_bitmap = in == "BITMAP";
            glyphs += in == "ENDCHAR";
            std::string want = in;
            if (in.starts_with("FONT "))
                want = "FONT -Sample-Mono-"s + t.weight + "-" + t.slant +
                       "-Normal--16-160-75-75-C-80-ISO10646-1";
            else if (in.starts_with("WEIGHT_NAME "))
                want = "WEIGHT_NAME \""s + t.weight + "\"";
            else if (in.starts_with("SLANT "))
                want = "SLANT \""s + t.slant + "\"";
            else if (t.slants && (in.starts_with("FONTBOUNDINGBOX ") || in.starts_with("BBX ")))
                want = slanted(in);
            EXPECT_EQ(out[i], want) << "line " << i;
            if (in.starts_with("BBX ")) digits = 2 * ((std::stoul(out[i].substr(4)) + 7) / 8);
        }
        EXPECT_EQ(glyphs, 95);
        outputs.push_back(out);
    }
}

}  // namespace
}  // namespace glyph::test
