// The header pass with the rule sets of the three tools, the case-insensitive
// replace-all and the bold tool's bounding-box hook.

#include "header_pass.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "byte_io.hpp"
#include "failure.hpp"
#include "line_reader.hpp"
#include "slant_geometry.hpp"

namespace glyph {
namespace {

using namespace std::string_literals;

enum class Tool { stout, slope, stoutslope };
constexpr Tool ALL_TOOLS[] = {Tool::stout, Tool::slope, Tool::stoutslope};

const char* name_of(Tool tool) {
    return tool == Tool::stout ? "bold" : tool == Tool::slope ? "oblique" : "bold-oblique";
}

HeaderRules rules_for(Tool tool, BoxSize& box) {
    HeaderRules rules;
    if (tool != Tool::slope) {
        rules.old_weight = "Medium";
        rules.new_weight = "Bold";
    }
    if (tool != Tool::stout) {
        rules.old_slant = "R";
        rules.new_slant = "I";
        rules.slant_ratio = SLANT_RATIO;
        rules.bbx_hook = slant_bbx;
    } else {
        rules.bbx_hook = read_bbx_size;
    }
    rules.font_box = &box;
    return rules;
}

struct PassOutcome {
    std::string out;
    std::optional<HeaderResult> result;
    std::optional<BadLine> failure;
    BoxSize box;
    std::string next_piece;  // what the reader hands out after the pass
};

PassOutcome run_pass(std::string_view input, const HeaderRules& base, BoxSize start = {}) {
    MemorySource source(input);
    LineReader reader(source);
    StringSink sink;
    PassOutcome r;
    r.box = start;
    HeaderRules rules = base;
    rules.font_box = &r.box;
    try {
        r.result = run_header_pass(reader, sink, rules);
    } catch (const BadLine& bad) {
        r.failure = bad;
    }
    r.out = sink.text();
    Line line;
    if (reader.next(line)) r.next_piece = line.view();
    return r;
}

PassOutcome run_pass(std::string_view input, Tool tool, BoxSize start = {}) {
    BoxSize unused;
    return run_pass(input, rules_for(tool, unused), start);
}

// A pass that ran to the end of the input and wrote `expected`.
void expect_copied(std::string_view input, Tool tool, const std::string& expected) {
    PassOutcome r = run_pass(input, tool);
    ASSERT_TRUE(r.result.has_value()) << name_of(tool) << ": " << input;
    EXPECT_EQ(r.result->end, HeaderResult::End::no_chars);
    EXPECT_EQ(r.out, expected) << name_of(tool) << ": " << input;
}

constexpr const char* SAME = nullptr;

TEST(HeaderPass, RenamesLikeEachTool) {
    struct Case {
        const char* line;
        const char* stout;  // SAME: copied unchanged
        const char* slope;
        const char* stoutslope;
    } cases[] = {{"FONT -Sample-Mono-Medium-R-Normal--16-150-75-75-C-80-ISO8859-1",
                  "FONT -Sample-Mono-Bold-R-Normal--16-150-75-75-C-80-ISO8859-1",
                  "FONT -Sample-Mono-Medium-I-Normal--16-150-75-75-C-80-ISO8859-1",
                  "FONT -Sample-Mono-Bold-I-Normal--16-150-75-75-C-80-ISO8859-1"},
                 {"FONT -sample-mono-medium-r-normal--16-150-75-75-c-80-iso8859-1",
                  "FONT -sample-mono-Bold-r-normal--16-150-75-75-c-80-iso8859-1",
                  "FONT -sample-mono-medium-I-normal--16-150-75-75-c-80-iso8859-1",
                  "FONT -sample-mono-Bold-I-normal--16-150-75-75-c-80-iso8859-1"},
                 {"FONT -Sample-Mono-Medium-O-Normal--16-150-75-75-C-80-ISO8859-1",
                  "FONT -Sample-Mono-Bold-O-Normal--16-150-75-75-C-80-ISO8859-1", SAME, SAME},
                 {"FONT -Sample-Mono-Bold-R-Normal--16-150-75-75-C-80-ISO8859-1", SAME,
                  "FONT -Sample-Mono-Bold-I-Normal--16-150-75-75-C-80-ISO8859-1", SAME},
                 // Every occurrence, not only the weight field.
                 {"FONT -Medium-Mono-Medium-R-Normal--16", "FONT -Bold-Mono-Bold-R-Normal--16",
                  "FONT -Medium-Mono-Medium-I-Normal--16", "FONT -Medium-Mono-Bold-I-Normal--16"},
                 {"FONT\t-x-Medium-R-\r", "FONT\t-x-Bold-R-\r", "FONT\t-x-Medium-I-\r",
                  "FONT\t-x-Bold-I-\r"},
                 {"WEIGHT_NAME \"Medium\"", "WEIGHT_NAME \"Bold\"", SAME, "WEIGHT_NAME \"Bold\""},
                 {"WEIGHT_NAME \"medium\"", "WEIGHT_NAME \"Bold\"", SAME, "WEIGHT_NAME \"Bold\""},
                 {"WEIGHT_NAME \"DemiMedium\"", "WEIGHT_NAME \"DemiBold\"", SAME,
                  "WEIGHT_NAME \"DemiBold\""},
                 {"SLANT \"R\"", SAME, "SLANT \"I\"", "SLANT \"I\""},
                 {"SLANT \"r\"", SAME, "SLANT \"I\"", "SLANT \"I\""}};
    for (const Case& c : cases) {
        const char* expected[] = {c.stout, c.slope, c.stoutslope};
        for (Tool tool : ALL_TOOLS) {
            const char* want = expected[static_cast<int>(tool)];
            std::string line = c.line;
            expect_copied(line + "\n", tool, (want ? want : c.line) + std::string("\n"));
            // The last line of a file, without a line end, is renamed alike.
            expect_copied(line, tool, want ? want : c.line);
        }
    }
    // Lines without a keyword, or with another one, are never renamed.
    for (const char* line :
         {"SLANT \"RI\"", "SLANT \"O\"", "SLANT R", " FONT -x-Medium-R-", "1FONT -x-Medium-R-",
          "\xC6ONT -x-Medium-R-", "font -x-Medium-R-", "FONT_ASCENT Medium-R-14",
          "FONT_DESCENT \"Medium\" \"R\"", "COMMENT FONT -x-Medium-R- SLANT \"R\"",
          "WEIGHT_NAMES \"Medium\"", "SLANTED \"R\""})
        for (Tool tool : ALL_TOOLS)
            expect_copied(line + "\n"s, tool, line + "\n"s);
}

TEST(HeaderPass, RuleTextsAreCutToTheirPrecisions) {
    BoxSize unused;
    HeaderRules rules = rules_for(Tool::stoutslope, unused);
    rules.old_weight = "SemiCondensedMedium";  // cut to SemiCondens
    rules.new_weight = "Heavy";
    rules.old_slant = "RIX";  // cut to RI
    rules.new_slant = "O";
    PassOutcome r = run_pass(
        "FONT -a-SemiCondens-RI-b\nFONT -a-SemiCondensedMedium-RIX-\n"
        "WEIGHT_NAME \"SemiCondensedMedium\"\nWEIGHT_NAME \"SemiCondens\"\n"
        "SLANT \"RI\"\nSLANT \"RIX\"\n",
        rules);
    EXPECT_EQ(r.out,
              "FONT -a-Heavy-O-b\nFONT -a-SemiCondensedMedium-RIX-\n"
              "WEIGHT_NAME \"Heavy\"\nWEIGHT_NAME \"SemiCondens\"\n"
              "SLANT \"O\"\nSLANT \"RIX\"\n");
}

// The header line FONT -x-Medium-R- as each tool writes it.
constexpr const char* RENAMED_FONT[] = {"FONT -x-Bold-R-\n", "FONT -x-Medium-I-\n",
                                        "FONT -x-Bold-I-\n"};

TEST(HeaderPass, FontBoundingBoxThroughEachHook) {
    struct Case {
        Tool tool;
        const char* boxes;    // the FONTBOUNDINGBOX lines read
        const char* written;  // SAME: copied unchanged
        std::int32_t width, height, extra;
    } cases[] = {
        {Tool::stout, "FONTBOUNDINGBOX 8 16 0 -2\n", SAME, 8, 16, 0},
        {Tool::slope, "FONTBOUNDINGBOX 8 16 0 -2\n", "FONTBOUNDINGBOX 13 16 -2 -2\n", 8, 16, 5},
        {Tool::stoutslope, "FONTBOUNDINGBOX 8 16 0 -2\n", "FONTBOUNDINGBOX 13 16 -2 -2\n", 8, 16,
         5},
        // Several lines: each is written, the last one's values stand.
        {Tool::stout, "FONTBOUNDINGBOX 8 16 0 -2\nFONTBOUNDINGBOX 10 20 0 -4\n", SAME, 10, 20, 0},
        {Tool::slope, "FONTBOUNDINGBOX 8 16 0 -2\nFONTBOUNDINGBOX 10 20 0 -4\n",
         "FONTBOUNDINGBOX 13 16 -2 -2\nFONTBOUNDINGBOX 16 20 -3 -4\n", 10, 20, 6},
        // The largest boxes that pass; an empty box has no slant.
        {Tool::stout, "FONTBOUNDINGBOX 2147483647 1 0 0\n", SAME, 2147483647, 1, 0},
        {Tool::slope, "FONTBOUNDINGBOX 2147483647 1 0 0\n", SAME, 2147483647, 1, 0},
        {Tool::stout, "FONTBOUNDINGBOX -0 16 0 -2\n", SAME, 0, 16, 0},
        {Tool::slope, "FONTBOUNDINGBOX 8 0 0 0\n", SAME, 8, 0, 0}};
    for (const Case& c : cases) {
        const std::string head = "STARTFONT 2.1\nFONT -x-Medium-R-\n";
        PassOutcome r = run_pass(head + c.boxes + "CHARS 2\nSTARTCHAR a\n", c.tool);
        ASSERT_TRUE(r.result.has_value()) << name_of(c.tool) << ": " << c.boxes;
        EXPECT_EQ(r.out, "STARTFONT 2.1\n" + std::string(RENAMED_FONT[int(c.tool)]) +
                             (c.written ? c.written : c.boxes) + "CHARS 2\n");
        EXPECT_EQ(r.result->end, HeaderResult::End::chars);
        EXPECT_EQ(r.result->glyph_count, 2);
        EXPECT_EQ(r.box.width, c.width) << c.boxes;
        EXPECT_EQ(r.box.height, c.height) << c.boxes;
        EXPECT_EQ(r.box.extra, c.extra) << c.boxes;
        EXPECT_EQ(r.next_piece, "STARTCHAR a\n");
    }
}

TEST(HeaderPass, UnreadableOrOversizedFontBoundingBoxStopsBeforeIt) {
    struct Case {
        Tool tool;
        const char* line;
    } cases[] = {{Tool::stout, "FONTBOUNDINGBOX\n"},
                 {Tool::stout, "FONTBOUNDINGBOX 8\n"},
                 {Tool::stout, "FONTBOUNDINGBOX eight 16 0 0\n"},
                 {Tool::slope, "FONTBOUNDINGBOX 8 16 0\n"},
                 {Tool::stoutslope, "FONTBOUNDINGBOX 8 16\n"}};
    std::vector<Case> all(std::begin(cases), std::end(cases));
    for (const char* oversized :
         {"FONTBOUNDINGBOX 2147483648 16 0 -2\n", "FONTBOUNDINGBOX 8 4294967295 0 -2\n",
          "FONTBOUNDINGBOX -1 16 0 0\n", "FONTBOUNDINGBOX 8 -16 0 0\n",
          "FONTBOUNDINGBOX 99999999999 16 0 0\n", "FONTBOUNDINGBOX 4294967304 16 0 0\n"})
        for (Tool tool : ALL_TOOLS)
            all.push_back({tool, oversized});

    const BoxSize start{77, 88, 99, false, false};
    for (const Case& c : all) {
        const std::string input =
            "STARTFONT 2.1\nFONT -x-Medium-R-\n" + std::string(c.line) + "CHARS 1\n";
        PassOutcome r = run_pass(input, c.tool, start);
        ASSERT_TRUE(r.failure.has_value()) << name_of(c.tool) << ": " << c.line;
        EXPECT_EQ(r.failure->kind, BadLine::Kind::bounding_box);
        EXPECT_EQ(r.failure->line, c.line);
        EXPECT_EQ(r.out, "STARTFONT 2.1\n" + std::string(RENAMED_FONT[int(c.tool)])) << c.line;
        EXPECT_EQ(r.next_piece, "CHARS 1\n") << c.line;
    }
    // A hook that cannot read the line leaves the caller's box as it was.
    for (Tool tool : ALL_TOOLS) {
        PassOutcome r = run_pass("FONTBOUNDINGBOX 8\n", tool, start);
        EXPECT_EQ(r.box.width, 77);
        EXPECT_EQ(r.box.height, 88);
        EXPECT_EQ(r.box.extra, 99);
    }
}

TEST(HeaderPass, GlyphCountFromTheFirstCharsLine) {
    constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
    // clang-format off
    struct Case { const char* line; std::int32_t count; } cases[] = {
        {"CHARS 12\n", 12}, {"CHARS  12\n", 12}, {"CHARS 7 glyphs\n", 7}, {"CHARS 7glyphs\n", 7},
        {"CHARS\t+9\n", 9}, {"CHARS\n", 0}, {"CHARS", 0}, {"CHARS \n", 0}, {"CHARS x\n", 0},
        {"CHARS -0\n", 0}, {"CHARS 2147483647\n", max}, {"CHARS 99999999999\n", max},
        {"CHARS 4294967297\n", max},
        // A negative count fails after its line is written.
        {"CHARS -5\n", -5}, {"CHARS -1\r\n", -1}, {"CHARS -99999999999\n", -1}};
    // clang-format on
    for (const Case& c : cases) {
        const bool ended = std::string(c.line).back() == '\n';
        const std::string input = std::string("FONT a\n") + c.line + (ended ? "CHARS 5\n" : "");
        PassOutcome r = run_pass(input, Tool::stout);
        EXPECT_EQ(r.out, std::string("FONT a\n") + c.line);
        if (c.count < 0) {
            ASSERT_TRUE(r.failure.has_value()) << c.line;
            EXPECT_EQ(r.failure->kind, BadLine::Kind::glyph_count);
            EXPECT_EQ(r.failure->line, c.line);
        } else {
            ASSERT_TRUE(r.result.has_value()) << c.line;
            EXPECT_EQ(r.result->end, HeaderResult::End::chars) << c.line;
            EXPECT_EQ(r.result->glyph_count, c.count) << c.line;
        }
        // The second CHARS line is left to the caller.
        EXPECT_EQ(r.next_piece, ended ? "CHARS 5\n" : "");
    }
    // Only the keyword CHARS ends the pass.
    PassOutcome r = run_pass("CHARSET 4\n CHARS 3\nchars 2\nCHARS 1\n", Tool::stout);
    ASSERT_TRUE(r.result.has_value());
    EXPECT_EQ(r.result->glyph_count, 1);
}

TEST(HeaderPass, InputWithoutCharsIsCopiedWhole) {
    expect_copied("", Tool::stout, "");
    // A NUL byte does not cut a line short.
    expect_copied("COMMENT a\0b\n"s, Tool::stout, "COMMENT a\0b\n"s);
    expect_copied("SLANT \"R\"\0xy\n"s, Tool::slope, "SLANT \"I\"\0xy\n"s);
    for (Tool tool : ALL_TOOLS) {
        PassOutcome r = run_pass("STARTFONT 2.1\nSIZE 16 75 75\n\nENDFONT\n", tool);
        ASSERT_TRUE(r.result.has_value());
        EXPECT_EQ(r.result->end, HeaderResult::End::no_chars);
        EXPECT_EQ(r.result->glyph_count, 0);
        EXPECT_EQ(r.out, "STARTFONT 2.1\nSIZE 16 75 75\n\nENDFONT\n");
    }
}

TEST(HeaderPass, LongLinesAreHandledPieceByPiece) {
    const std::string pad(255 - 8, 'x');
    // The piece after 255 bytes of a comment starts with a keyword.
    PassOutcome r = run_pass("COMMENT " + pad + "CHARS 4\nCHARS 9\n", Tool::stout);
    ASSERT_TRUE(r.result.has_value());
    EXPECT_EQ(r.result->glyph_count, 4);
    EXPECT_EQ(r.out, "COMMENT " + pad + "CHARS 4\n");
    EXPECT_EQ(r.next_piece, "CHARS 9\n");

    r = run_pass("COMMENT " + pad + "FONT -a-Medium-R-\n", Tool::stoutslope);
    EXPECT_EQ(r.out, "COMMENT " + pad + "FONT -a-Bold-I-\n");

    // A name split across two pieces is not found in either.
    const std::string split = "FONT " + std::string(248, 'a') + "-Medium-R-\n";
    expect_copied(split, Tool::stout, split);
    // Found in the first piece, and the rest of the line copied as it was.
    const std::string first = "FONT -Medium-" + std::string(300, 'b') + "\n";
    expect_copied(first, Tool::stout, "FONT -Bold-" + std::string(300, 'b') + "\n");

    // A keyword piece after a long bounding box line reaches the hook.
    const std::string box = "COMMENT " + pad + "FONTBOUNDINGBOX 8\n";
    r = run_pass(box, Tool::stout);
    ASSERT_TRUE(r.failure.has_value());
    EXPECT_EQ(r.failure->line, "FONTBOUNDINGBOX 8\n");
    EXPECT_EQ(r.out, "COMMENT " + pad);
}

TEST(ReplaceAllNocase, ReplacesEveryOccurrenceWithoutOverlap) {
    // clang-format off
    struct Case { std::string source, pattern, replacement, expected; } cases[] = {
        {"-R-R-", "-R-", "-I-", "-I-R-"}, {"medium-r-", "Medium-", "Bold-", "Bold-r-"},
        {"MEDIUM-MeDiUm-", "medium-", "Bold-", "Bold-Bold-"}, {"aaaa", "aa", "b", "bb"},
        {"aaa", "aa", "b", "ba"}, {"x-Medium-", "Medium-", "Bold-", "x-Bold-"},
        {"Medium", "Medium-", "Bold-", "Medium"}, {"", "Medium-", "Bold-", ""},
        {"abc", "abc", "", ""}, {"\"r\" \"R\"", "\"R\"", "\"I\"", "\"I\" \"I\""},
        // Only A-Z fold to a-z; every other byte matches only itself.
        {"@`[{\\|^~", "`", "1", "@1[{\\|^~"}, {"@`[{", "[", "2", "@`2{"},
        {"\xC4Medium-\xE4", "medium-", "Bold-", "\xC4" "Bold-\xE4"},
        {"x\xC4y\xE4z", "\xE4", "!", "x\xC4y!z"}, {"x\xC4y", "\xE4", "!", "x\xC4y"}};
    // clang-format on
    for (const Case& c : cases) {
        char dest[64];
        std::memset(dest, '#', sizeof dest);
        std::size_t n = replace_all_nocase(dest, c.source, c.pattern, c.replacement);
        EXPECT_EQ(std::string(dest, n), c.expected) << c.source << " / " << c.pattern;
        EXPECT_EQ(dest[n], '\0') << c.source;
    }
}

Line line_of(const std::string& s) {
    return Line{s.c_str(), s.size()};
}

TEST(ReadBbxSize, ReadsWidthAndHeightAndCopiesTheLine) {
    constexpr std::int32_t min = std::numeric_limits<std::int32_t>::min();
    // clang-format off
    struct Case {
        const char* line;
        std::int32_t width, height;
        bool width_oversized, height_oversized;
    } cases[] = {
        {"FONTBOUNDINGBOX 8 16 0 -2\n", 8, 16, false, false}, {"BBX 8 16\n", 8, 16, false, false},
        {"BBX\t 3\t4", 3, 4, false, false}, {"ANYTHING 7 9 junk\r\n", 7, 9, false, false},
        {"BBX +5 6 x y\n", 5, 6, false, false}, {"BBX -0 0 0 0\n", 0, 0, false, false},
        {"BBX 2147483647 1 0 0\n", 2147483647, 1, false, false},
        {"BBX 2147483648 1 0 0\n", min, 1, true, false}, {"BBX 4294967295 1\n", -1, 1, true, false},
        {"BBX -1 1 0 0\n", -1, 1, true, false}, {"BBX 4294967296 1\n", 0, 1, true, false},
        {"BBX 99999999999 1 0 0\n", 1215752191, 1, true, false},
        {"BBX 1 -2147483648\n", 1, min, false, true},
        {"BBX 1 99999999999\n", 1, 1215752191, false, true}};
    // clang-format on
    for (const Case& c : cases) {
        const std::string text = c.line;
        HookOutput out;
        BoxSize box{-5, -6, 1234, false, false};
        ASSERT_TRUE(read_bbx_size(out, box, 0, line_of(text))) << c.line;
        EXPECT_EQ(out.view(), text);
        EXPECT_EQ(box.width, c.width) << c.line;
        EXPECT_EQ(box.height, c.height) << c.line;
        EXPECT_EQ(box.width_oversized, c.width_oversized) << c.line;
        EXPECT_EQ(box.height_oversized, c.height_oversized) << c.line;
        EXPECT_EQ(box.extra, 1234) << "the bold hook computes no extra";
    }
}

TEST(ReadBbxSize, FewerThanTwoNumbersStoreNothing) {
    for (const char* text :
         {"", "\n", "BBX\n", "BBX 8\n", "BBX 8 x\n", "BBX x 8 16\n", "BBX 8 - 16\n", " \t\n"}) {
        const std::string line = text;
        HookOutput out;
        out.assign("untouched");
        BoxSize box{-5, -6, 1234, true, false};
        EXPECT_FALSE(read_bbx_size(out, box, 3, line_of(line))) << '"' << text << '"';
        EXPECT_EQ(out.view(), "untouched");
        EXPECT_EQ(box.width, -5);
        EXPECT_EQ(box.height, -6);
        EXPECT_TRUE(box.width_oversized);
        EXPECT_FALSE(box.height_oversized);
    }
}

}  // namespace
}  // namespace glyph
