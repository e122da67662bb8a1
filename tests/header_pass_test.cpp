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

enum Tool { stout, slope, stoutslope };
constexpr Tool ALL_TOOLS[] = {stout, slope, stoutslope};

HeaderRules rules_for(Tool tool) {
    HeaderRules rules;
    rules.old_weight = tool == slope ? nullptr : "Medium";
    rules.new_weight = tool == slope ? nullptr : "Bold";
    rules.old_slant = tool == stout ? nullptr : "R";
    rules.new_slant = tool == stout ? nullptr : "I";
    rules.slant_ratio = tool == stout ? 0 : SLANT_RATIO;
    rules.bbx_hook = tool == stout ? read_bbx_size : slant_bbx;
    return rules;
}

struct PassOutcome {
    std::string out;
    std::optional<HeaderResult> result;
    std::optional<BadLine> failure;
    BoxSize box;
    std::string next_piece;  // what the reader hands out after the pass
};

PassOutcome run_pass(std::string_view input, HeaderRules rules, BoxSize start = {}) {
    MemorySource source(input);
    LineReader reader(source);
    StringSink sink;
    PassOutcome r;
    r.box = start;
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
    return run_pass(input, rules_for(tool), start);
}

// A pass that ran to the end of the input and wrote `expected`.
void expect_copied(std::string_view input, Tool tool, const std::string& expected) {
    PassOutcome r = run_pass(input, tool);
    ASSERT_TRUE(r.result.has_value()) << "tool " << tool << ": " << input;
    EXPECT_EQ(r.result->end, HeaderResult::End::no_chars);
    EXPECT_EQ(r.out, expected) << "tool " << tool << ": " << input;
}

constexpr const char* SAME = nullptr;

TEST(HeaderPass, RenamesLikeEachToolAndCopiesTheRest) {
    // clang-format off
    const struct { const char* line; const char* out[3]; } cases[] = {  // SAME: copied unchanged
        {"FONT -S-Medium-R-N--16", {"FONT -S-Bold-R-N--16", "FONT -S-Medium-I-N--16",
                                    "FONT -S-Bold-I-N--16"}},
        {"FONT -s-medium-r-n--16", {"FONT -s-Bold-r-n--16", "FONT -s-medium-I-n--16",
                                    "FONT -s-Bold-I-n--16"}},
        {"FONT -S-Medium-O-N", {"FONT -S-Bold-O-N", SAME, SAME}},
        {"FONT -S-Bold-R-N", {SAME, "FONT -S-Bold-I-N", SAME}},
        // Every occurrence, not only the weight field.
        {"FONT -Medium-M-Medium-R-N", {"FONT -Bold-M-Bold-R-N", "FONT -Medium-M-Medium-I-N",
                                       "FONT -Medium-M-Bold-I-N"}},
        {"FONT\t-x-Medium-R-\r", {"FONT\t-x-Bold-R-\r", "FONT\t-x-Medium-I-\r", "FONT\t-x-Bold-I-\r"}},
        {"WEIGHT_NAME \"Medium\"", {"WEIGHT_NAME \"Bold\"", SAME, "WEIGHT_NAME \"Bold\""}},
        {"WEIGHT_NAME \"medium\"", {"WEIGHT_NAME \"Bold\"", SAME, "WEIGHT_NAME \"Bold\""}},
        {"WEIGHT_NAME \"DemiMedium\"", {"WEIGHT_NAME \"DemiBold\"", SAME, "WEIGHT_NAME \"DemiBold\""}},
        {"SLANT \"R\"", {SAME, "SLANT \"I\"", "SLANT \"I\""}},
        {"SLANT \"r\"", {SAME, "SLANT \"I\"", "SLANT \"I\""}}};
    // clang-format on
    for (const auto& c : cases) {
        for (Tool tool : ALL_TOOLS) {
            const std::string want = c.out[tool] ? c.out[tool] : c.line;
            expect_copied(c.line + "\n"s, tool, want + "\n");
            // The last line of a file, without a line end, is renamed alike.
            expect_copied(c.line, tool, want);
        }
    }
    // A NUL byte does not cut a line short; an input without CHARS is copied whole.
    expect_copied("COMMENT a\0b\n"s, stout, "COMMENT a\0b\n"s);
    expect_copied("SLANT \"R\"\0xy\n"s, slope, "SLANT \"I\"\0xy\n"s);
    for (Tool tool : ALL_TOOLS) {
        expect_copied("", tool, "");
        EXPECT_EQ(run_pass("STARTFONT 2.1\n", tool).result->glyph_count, 0);
    }
    // Lines without a keyword, or with another one, are never renamed.
    for (const char* line :
         {"SLANT \"RI\"", "SLANT \"O\"", "SLANT R", " FONT -x-Medium-R-", "1FONT -x-Medium-R-",
          "\xC6ONT -x-Medium-R-", "font -x-Medium-R-", "FONT_ASCENT Medium-R-14",
          "COMMENT FONT -x-Medium-R- SLANT \"R\"", "WEIGHT_NAMES \"Medium\"", "SLANTED \"R\""})
        for (Tool tool : ALL_TOOLS)
            expect_copied(line + "\n"s, tool, line + "\n"s);
}

TEST(HeaderPass, RuleTextsAreCutToTheirPrecisions) {
    HeaderRules rules = rules_for(stoutslope);
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
    const struct {
        Tool tool;
        const char* boxes;    // the FONTBOUNDINGBOX lines read
        const char* written;  // SAME: copied unchanged
        std::int32_t width, height, extra;
    } cases[] = {
        {stout, "FONTBOUNDINGBOX 8 16 0 -2\n", SAME, 8, 16, 0},
        {slope, "FONTBOUNDINGBOX 8 16 0 -2\n", "FONTBOUNDINGBOX 13 16 -2 -2\n", 8, 16, 5},
        // Several lines: each is written, the last one's values stand.
        {stout, "FONTBOUNDINGBOX 8 16 0 -2\nFONTBOUNDINGBOX 10 20 0 -4\n", SAME, 10, 20, 0},
        {slope, "FONTBOUNDINGBOX 8 16 0 -2\nFONTBOUNDINGBOX 10 20 0 -4\n",
         "FONTBOUNDINGBOX 13 16 -2 -2\nFONTBOUNDINGBOX 16 20 -3 -4\n", 10, 20, 6},
        {slope, "FONTBOUNDINGBOX 8 0 0 0\n", SAME, 8, 0, 0}};  // an empty box has no slant
    for (const auto& c : cases) {
        SCOPED_TRACE(c.boxes);
        PassOutcome r = run_pass(
            "STARTFONT 2.1\nFONT -x-Medium-R-\n"s + c.boxes + "CHARS 2\nSTARTCHAR a\n", c.tool);
        ASSERT_TRUE(r.result.has_value());
        EXPECT_EQ(r.out, "STARTFONT 2.1\n"s + RENAMED_FONT[c.tool] +
                             (c.written ? c.written : c.boxes) + "CHARS 2\n");
        EXPECT_EQ(r.result->end, HeaderResult::End::chars);
        EXPECT_EQ(r.result->glyph_count, 2);
        EXPECT_EQ(r.box.width, c.width);
        EXPECT_EQ(r.box.height, c.height);
        EXPECT_EQ(r.box.extra, c.extra);
        EXPECT_EQ(r.next_piece, "STARTCHAR a\n");
    }
}

TEST(HeaderPass, UnreadableOrOversizedFontBoundingBoxStopsBeforeIt) {
    std::vector<std::pair<Tool, const char*>> cases = {{stout, "FONTBOUNDINGBOX 8\n"},
                                                       {slope, "FONTBOUNDINGBOX 8 16 0\n"}};
    for (const char* oversized :
         {"FONTBOUNDINGBOX 8 4294967295 0 -2\n", "FONTBOUNDINGBOX 4294967304 16 0 0\n"})
        for (Tool tool : ALL_TOOLS)
            cases.push_back({tool, oversized});
    // The caller's box stays as it was.
    const BoxSize start{77, 88, 99, false, false};
    for (const auto& [tool, line] : cases) {
        SCOPED_TRACE("tool " + std::to_string(tool) + ": " + line);
        PassOutcome r =
            run_pass("STARTFONT 2.1\nFONT -x-Medium-R-\n"s + line + "CHARS 1\n", tool, start);
        ASSERT_TRUE(r.failure.has_value());
        EXPECT_EQ(r.failure->kind, BadLine::Kind::bounding_box);
        EXPECT_EQ(r.failure->line, line);
        EXPECT_EQ(r.out, "STARTFONT 2.1\n"s + RENAMED_FONT[tool]);
        EXPECT_EQ(r.next_piece, "CHARS 1\n");
        EXPECT_EQ(r.box.width, 77);
        EXPECT_EQ(r.box.height, 88);
        EXPECT_EQ(r.box.extra, 99);
    }
}

TEST(HeaderPass, GlyphCountFromTheFirstCharsLine) {
    constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
    // clang-format off
    const struct { const char* line; std::int32_t count; } cases[] = {
        {"CHARS 12\n", 12}, {"CHARS  12\n", 12}, {"CHARS 7 glyphs\n", 7}, {"CHARS 7glyphs\n", 7},
        {"CHARS\t+9\n", 9}, {"CHARS\n", 0}, {"CHARS", 0}, {"CHARS \n", 0}, {"CHARS x\n", 0},
        {"CHARS -0\n", 0}, {"CHARS 2147483647\n", max}, {"CHARS 99999999999\n", max},
        {"CHARS 4294967297\n", max},
        // A negative count fails after its line is written.
        {"CHARS -5\n", -5}, {"CHARS -1\r\n", -1}, {"CHARS -99999999999\n", -1}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const bool ended = std::string(c.line).ends_with('\n');
        PassOutcome r = run_pass("FONT a\n"s + c.line + (ended ? "CHARS 5\n" : ""), stout);
        EXPECT_EQ(r.out, "FONT a\n"s + c.line);
        if (c.count < 0) {
            ASSERT_TRUE(r.failure.has_value());
            EXPECT_EQ(r.failure->kind, BadLine::Kind::glyph_count);
            EXPECT_EQ(r.failure->line, c.line);
        } else {
            ASSERT_TRUE(r.result.has_value());
            EXPECT_EQ(r.result->end, HeaderResult::End::chars);
            EXPECT_EQ(r.result->glyph_count, c.count);
        }
        // The second CHARS line is left to the caller.
        EXPECT_EQ(r.next_piece, ended ? "CHARS 5\n" : "");
    }
    // Only the keyword CHARS ends the pass.
    PassOutcome r = run_pass("CHARSET 4\n CHARS 3\nchars 2\nCHARS 1\n", stout);
    ASSERT_TRUE(r.result.has_value());
    EXPECT_EQ(r.result->glyph_count, 1);
}

TEST(HeaderPass, LongLinesAreHandledPieceByPiece) {
    const std::string pad(255 - 8, 'x');
    // The piece after 255 bytes of a comment starts with a keyword.
    PassOutcome r = run_pass("COMMENT " + pad + "CHARS 4\nCHARS 9\n", stout);
    ASSERT_TRUE(r.result.has_value());
    EXPECT_EQ(r.result->glyph_count, 4);
    EXPECT_EQ(r.out, "COMMENT " + pad + "CHARS 4\n");
    EXPECT_EQ(r.next_piece, "CHARS 9\n");
    expect_copied("COMMENT " + pad + "FONT -a-Medium-R-\n", stoutslope,
                  "COMMENT " + pad + "FONT -a-Bold-I-\n");
    // A name split across two pieces is not found in either.
    const std::string split = "FONT " + std::string(248, 'a') + "-Medium-R-\n";
    expect_copied(split, stout, split);
    // Found in the first piece, and the rest of the line copied as it was.
    expect_copied("FONT -Medium-" + std::string(300, 'b') + "\n", stout,
                  "FONT -Bold-" + std::string(300, 'b') + "\n");
    // A keyword piece after a long bounding box line reaches the hook.
    r = run_pass("COMMENT " + pad + "FONTBOUNDINGBOX 8\n", stout);
    ASSERT_TRUE(r.failure.has_value());
    EXPECT_EQ(r.failure->line, "FONTBOUNDINGBOX 8\n");
    EXPECT_EQ(r.out, "COMMENT " + pad);
}

TEST(ReplaceAllNocase, ReplacesEveryOccurrenceWithoutOverlap) {
    // clang-format off
    const struct { std::string source, pattern, replacement, expected; } cases[] = {
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
    for (const auto& c : cases) {
        char dest[64];
        std::memset(dest, '#', sizeof dest);
        std::size_t n = replace_all_nocase(dest, c.source, c.pattern, c.replacement);
        EXPECT_EQ(std::string(dest, n), c.expected) << c.source << " / " << c.pattern;
        EXPECT_EQ(dest[n], '\0') << c.source;
    }
}

TEST(ReadBbxSize, ReadsWidthAndHeightAndCopiesTheLine) {
    constexpr std::int32_t min = std::numeric_limits<std::int32_t>::min();
    // clang-format off
    const struct {
        const char* line;
        bool read;
        std::int32_t width = 0, height = 0;
        bool width_oversized = false, height_oversized = false;
    } cases[] = {
        {"FONTBOUNDINGBOX 8 16 0 -2\n", true, 8, 16}, {"BBX\t 3\t4", true, 3, 4},
        {"ANYTHING 7 9 junk\r\n", true, 7, 9}, {"BBX +5 6 x y\n", true, 5, 6},
        {"BBX -0 0 0 0\n", true, 0, 0}, {"BBX 2147483647 1 0 0\n", true, 2147483647, 1},
        {"BBX 2147483648 1 0 0\n", true, min, 1, true}, {"BBX -1 1 0 0\n", true, -1, 1, true},
        {"BBX 4294967296 1\n", true, 0, 1, true}, {"BBX 99999999999 1 0 0\n", true, 1215752191, 1, true},
        {"BBX 1 -2147483648\n", true, 1, min, false, true},
        {"BBX 1 99999999999\n", true, 1, 1215752191, false, true},
        // Fewer than two numbers: nothing is stored.
        {"", false}, {"BBX\n", false}, {"BBX 8\n", false}, {"BBX 8 x\n", false},
        {"BBX x 8 16\n", false}, {"BBX 8 - 16\n", false}, {" \t\n", false}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string text = c.line;
        HookOutput out;
        out.text = "untouched";
        BoxSize box{-5, -6, 1234, true, true};
        EXPECT_EQ(read_bbx_size(out, box, 3, Line{text.c_str(), text.size()}), c.read);
        EXPECT_EQ(out.view(), c.read ? text : "untouched");
        EXPECT_EQ(box.width, c.read ? c.width : -5);
        EXPECT_EQ(box.height, c.read ? c.height : -6);
        EXPECT_EQ(box.width_oversized, c.read ? c.width_oversized : true);
        EXPECT_EQ(box.height_oversized, c.read ? c.height_oversized : true);
        EXPECT_EQ(box.extra, 1234) << "the bold hook computes no extra";
    }
}

}  // namespace
}  // namespace glyph
