// -a of the two bold tools: a glyph with ink takes one pixel more of advance,
// its SWIDTH scaled with it. Each case is held against the same run without
// -a, which must differ only in the lines the case names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "advance_hold.hpp"
#include "font_text.hpp"
#include "reference_paths.hpp"
#include "tool_harness.hpp"

namespace glyph::test {
namespace {

const std::string HEAD = font_header("8 16 0 -2", "2");

// A glyph of one inked row (or of a clear one) after `lines`.
std::string inked(const std::string& lines, const std::string& row = "40") {
    return "STARTCHAR g\n" + lines + "BBX 7 2 0 0\nBITMAP\n" + row + "\n00\nENDCHAR\n";
}

// `text` with each `from` replaced by its `to`, each searched from where the
// one before it ended.
std::string edited(std::string text,
                   const std::vector<std::pair<std::string, std::string>>& edits) {
    std::size_t at = 0;
    for (const auto& [from, to] : edits) {
        at = text.find(from, at);
        if (at == std::string::npos) return "edit not found: " + from;
        text.replace(at, from.size(), to);
        at += to.size();
    }
    return text;
}

TEST(Advance, GlyphsAgainstTheRunWithout) {
    const std::string long_dwidth = "DWIDTH 8 0" + std::string(300, ' ') + "\n";
    const struct {
        const char* name;
        std::string glyphs;  // after the header
        std::vector<std::pair<std::string, std::string>> edits;
        std::string cut = {};  // a failed run: its output ends before this
    } cases[] = {
        {"ink",
         inked("SWIDTH 500 0\nDWIDTH 8 0\n"),
         {{"SWIDTH 500 0\n", "SWIDTH 563 0\n"}, {"DWIDTH 8 0\n", "DWIDTH 9 0\n"}}},
        {"no ink", inked("SWIDTH 500 0\nDWIDTH 8 0\n", "00"), {}},
        // Lines met again are written as they were the first time.
        {"the same lines again",
         inked("SWIDTH 500 0\nDWIDTH 8 0\n") + inked("SWIDTH 500 0\nDWIDTH 8 0\n") +
             inked("DWIDTH 8 0\nSWIDTH 500 0\n") + inked("SWIDTH 500 0\nDWIDTH 8 0\n", "00") +
             inked("SWIDTH 500 0\nDWIDTH 9 0\n"),
         {{"SWIDTH 500 0\nDWIDTH 8 0", "SWIDTH 563 0\nDWIDTH 9 0"},
          {"SWIDTH 500 0\nDWIDTH 8 0", "SWIDTH 563 0\nDWIDTH 9 0"},
          {"DWIDTH 8 0\nSWIDTH 500 0", "DWIDTH 9 0\nSWIDTH 563 0"},
          {"SWIDTH 500 0\nDWIDTH 9 0", "SWIDTH 556 0\nDWIDTH 10 0"}}},
        {"advance 0", inked("SWIDTH 500 0\nDWIDTH 0 0\n"), {}},
        {"advance 1",
         inked("SWIDTH 500 -3\nDWIDTH 1 7\n"),
         {{"SWIDTH 500 -3", "SWIDTH 1000 -3"}, {"DWIDTH 1 7", "DWIDTH 2 7"}}},
        {"advance 2147483646",
         inked("SWIDTH 1000 0\nDWIDTH 2147483646 0\n"),
         {{"DWIDTH 2147483646 0", "DWIDTH 2147483647 0"}}},
        {"advance 2147483647", inked("SWIDTH 1000 0\nDWIDTH 2147483647 0\n"), {}},
        {"negative advance", inked("SWIDTH 500 0\nDWIDTH -8 0\n"), {}},
        // Not two decimal numbers within 32 bits and nothing else.
        {"unreadable",
         inked("SWIDTH 500 0\nDWIDTH 8\nDWIDTH 8 0 0\nDWIDTH +8 0\nDWIDTH 8x 0\n"
               "DWIDTH 2147483648 0\nDWIDTH 8 -2147483649\nDWIDTH 8 0\t,\n"
               "DWIDTH\t8 0 \nDWIDTHS 8 0\n DWIDTH 8 0\ndwidth 8 0\n"),
         {{"SWIDTH 500 0", "SWIDTH 563 0"}, {"DWIDTH\t8 0 \n", "DWIDTH 9 0\n"}}},
        {"rewritten plainly",
         inked("SWIDTH\t+500 0\nSWIDTH -0500  -0 \nDWIDTH 0008 -0\n"),
         {{"SWIDTH -0500  -0 ", "SWIDTH -563 0"}, {"DWIDTH 0008 -0", "DWIDTH 9 0"}}},
        // Halves away from zero; a result beyond 32 bits leaves its line.
        {"rounding",
         inked("SWIDTH 4 1\nSWIDTH -4 1\nSWIDTH 3 1\nDWIDTH 8 0\n"),
         {{"SWIDTH 4 1", "SWIDTH 5 1"}, {"SWIDTH -4 1", "SWIDTH -5 1"}, {"DWIDTH 8", "DWIDTH 9"}}},
        {"overflow",
         inked("SWIDTH 2147483647 0\nSWIDTH -1073741824 0\nDWIDTH 1 0\n"),
         {{"SWIDTH -1073741824 0", "SWIDTH -2147483648 0"}, {"DWIDTH 1 0", "DWIDTH 2 0"}}},
        {"overflow below",
         inked("SWIDTH -2147483648 0\nSWIDTH -2147483647 0\n"
               "DWIDTH 2147483646 0\n"),
         {{"SWIDTH -2147483647 0", "SWIDTH -2147483648 0"},
          {"DWIDTH 2147483646 0", "DWIDTH 2147483647 0"}}},
        // The advance is the last readable one; each DWIDTH grows by itself.
        {"several",
         inked("DWIDTH 8 0\nSWIDTH 480 0\nDWIDTH 10 1\nDWIDTH -3 0\n"),
         {{"DWIDTH 8 0", "DWIDTH 9 0"},
          {"SWIDTH 480 0", "SWIDTH 528 0"},
          {"DWIDTH 10 1", "DWIDTH 11 1"}}},
        {"crlf",
         crlf(inked("SWIDTH 500 0\nDWIDTH 8 0\n")),
         {{"SWIDTH 500 0\r\n", "SWIDTH 563 0\r\n"}, {"DWIDTH 8 0\r\n", "DWIDTH 9 0\r\n"}}},
        // A long line reaches the tool in pieces, each taken as a line; the
        // first piece ends with no line end.
        {"long line",
         inked(long_dwidth),
         {{long_dwidth, "DWIDTH 9 0" + std::string(55, ' ') + "\n"}}},
        {"no bitmap",
         "STARTCHAR g\nDWIDTH 8 0\nBBX 7 2 0 0\nENDCHAR\n" + inked("DWIDTH 5 0\n"),
         {{"DWIDTH 5 0", "DWIDTH 6 0"}}},
        {"outside a glyph",
         "DWIDTH 8 0\n" + inked("DWIDTH 8 0\n") + "DWIDTH 8 0\n",
         {{"STARTCHAR g\nDWIDTH 8 0", "STARTCHAR g\nDWIDTH 9 0"}}},
        // A STARTCHAR before ENDCHAR: the glyph so far stays as it is.
        {"startchar before bitmap",
         "STARTCHAR a\nDWIDTH 8 0\n" + inked("DWIDTH 4 0\n"),
         {{"DWIDTH 4 0", "DWIDTH 5 0"}}},
        {"startchar in bitmap",
         "STARTCHAR a\nDWIDTH 8 0\nBBX 7 2 0 0\nBITMAP\nff\n" + inked("DWIDTH 4 0\n"),
         {}},
        {"input ends",
         inked("DWIDTH 4 0\n") + "STARTCHAR b\nDWIDTH 8 0\nBBX 7 2 0 0\nBITMAP\nff\n",
         {{"DWIDTH 4 0", "DWIDTH 5 0"}}},
        {"box among the rows",
         "STARTCHAR g\nDWIDTH 8 0\nBBX 7 2 0 0\nBITMAP\n00\nBBX 7 1 0 0\n"
         "00\nENDCHAR\n",
         {}},
        {"failure",
         inked("DWIDTH 4 0\n") + "STARTCHAR b\nDWIDTH 8 0\nBITMAP\nff\nBBX 99 2 0 0\n",
         {{"DWIDTH 4 0", "DWIDTH 5 0"}},
         "STARTCHAR b\n"},
    };
    const struct {
        const char* name;
        ToolEntry tool;
    } tools[] = {{"glyphstout", run_glyphstout}, {"glyphstoutslope", run_glyphstoutslope}};
    const std::vector<std::vector<std::string>> option_sets = {
        {"-a"}, {"-w", "-a"}, {"-a", "-b"}, {"-r", "-a", "-w", "-b", "-s2"}};
    for (const auto& c : cases) {
        for (const auto& t : tools) {
            for (const auto& options : option_sets) {
                for (const bool reference : {false, true}) {
                    SCOPED_TRACE(std::string(c.name) + ", " + t.name + " " + options[0] + " " +
                                 options.back() + (reference ? ", reference paths" : ""));
                    use_reference_paths(reference);
                    std::vector<std::string> without;
                    for (const std::string& o : options)
                        if (o != "-a") without.push_back(o);
                    const RunResult plain = run_tool_on(t.tool, HEAD + c.glyphs, without);
                    const RunResult r = run_tool_on(t.tool, HEAD + c.glyphs, options);
                    use_reference_paths(false);
                    std::string want = edited(plain.out, c.edits);
                    if (!c.cut.empty()) want = want.substr(0, want.rfind(c.cut));
                    expect_run(r, plain.status, want, plain.err);
                    EXPECT_EQ(r.status, c.cut.empty() ? 0 : 1);
                }
            }
        }
    }
}

// The oblique tool ignores the letter, as any other it does not know.
TEST(Advance, ObliqueToolIgnoresIt) {
    const std::string font = HEAD + inked("SWIDTH 500 0\nDWIDTH 8 0\n") + "ENDFONT\n";
    const RunResult plain = slope(font, {"-b"});
    expect_run(slope(font, {"-a", "-b"}), 0, plain.out, "");
}

// Glyph after glyph of every size through one held buffer: lines that grow
// and shrink, and glyphs far larger than the sink's buffer.
TEST(Advance, HeldGlyphsOfEverySize) {
    std::string glyphs;
    std::vector<std::pair<std::string, std::string>> edits;
    for (int rows = 1; rows < 3000; rows = rows * 3 + 1) {
        const bool odd = rows % 2 != 0;
        const std::string dwidth = odd ? "DWIDTH 9 0\n" : "DWIDTH 99 0\n";
        glyphs += "STARTCHAR g\nSWIDTH  600  0 \n" + dwidth + "BBX 8 " + std::to_string(rows) +
                  " 0 0\nBITMAP\n";
        for (int i = 1; i < rows; ++i)
            glyphs += "00\n";
        glyphs += "81\nENDCHAR\n";
        glyphs += inked("DWIDTH 8 0\n", "00");
        edits.push_back({"SWIDTH  600  0 \n", odd ? "SWIDTH 667 0\n" : "SWIDTH 606 0\n"});
        edits.push_back({dwidth, odd ? "DWIDTH 10 0\n" : "DWIDTH 100 0\n"});
    }
    const std::string font = font_header("8 3000 0 0", "14") + glyphs + "ENDFONT\n";
    expect_run(stout(font, {"-a"}), 0, edited(stout(font).out, edits), "");
}

TEST(Advance, SwidthScaling) {
    const struct {
        std::int32_t s, x;
        bool fits;
        std::int32_t want;
    } cases[] = {
        {500, 8, true, 563},
        {-500, 8, true, -563},
        {7, 2, true, 11},
        {-7, 2, true, -11},
        {0, 5, true, 0},
        {2147483647, 1, false, 0},
        {1073741823, 1, true, 2147483646},
        {-1073741824, 1, true, -2147483647 - 1},
        {-1073741825, 1, false, 0},
        {2147483647, 2147483646, false, 0},
        {-2147483647, 2147483646, true, -2147483647 - 1},
    };
    for (const auto& c : cases) {
        std::int32_t out = 0;
        EXPECT_EQ(scaled_swidth(c.s, c.x, out), c.fits) << c.s << " " << c.x;
        if (c.fits) {
            EXPECT_EQ(out, c.want) << c.s << " " << c.x;
        }
    }
}

}  // namespace
}  // namespace glyph::test
