// The slant pattern table, the working lists built from it and its report.
#include "slant_patterns.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "slant_geometry.hpp"

namespace glyph {
namespace {

// Table positions of the entries in a working list, up to its terminator.
std::vector<int> positions(const SlantPatternList& list) {
    std::vector<int> found;
    for (std::size_t i = 0; list[i].correct > 0; ++i) {
        EXPECT_LT(i, SLANT_PATTERN_COUNT);
        auto same = [&](const SlantPattern& e) {
            return e.correct == list[i].correct && e.input_offset == list[i].input_offset &&
                   e.input_rows == list[i].input_rows && e.output_rows == list[i].output_rows;
        };
        auto it = std::find_if(SLANT_PATTERNS.begin(), SLANT_PATTERNS.end(), same);
        found.push_back(static_cast<int>(it - SLANT_PATTERNS.begin()));
    }
    return found;
}

std::vector<int> range(int from, int to) {
    std::vector<int> v;
    for (int i = from; i <= to; ++i)
        v.push_back(i);
    return v;
}

TEST(LoadSlantPatterns, AdmitsEntriesUpToTheLevelInTableOrder) {
    std::vector<int> level2 = range(8, 16);
    for (int i : range(24, 33))
        level2.push_back(i);
    const std::pair<std::int32_t, std::vector<int>> cases[] = {
        {3, range(0, 33)}, {4, range(0, 33)}, {2, level2},     {1, {31, 32, 33}},
        {0, {}},           {-1, {}},          {INT32_MIN, {}},
    };
    for (const auto& [level, expected] : cases) {
        SCOPED_TRACE(level);
        SlantPatternList list = load_slant_patterns(level);
        EXPECT_EQ(positions(list), expected);
        EXPECT_EQ(list[expected.size()].correct, 0);
        free_slant_patterns(list);
        EXPECT_EQ(list.data(), nullptr);
    }
    // The copies share the row texts of the table.
    SlantPatternList list = load_slant_patterns(3);
    for (std::size_t i = 0; i < SLANT_PATTERN_COUNT; ++i)
        EXPECT_EQ(list[i].input_rows[0], SLANT_PATTERNS[i].input_rows[0]);
    EXPECT_EQ(SLANT_PATTERNS[SLANT_PATTERN_COUNT].correct, 0);
}

TEST(SlantPatterns, PinnedEntries) {
    struct Pinned {
        std::size_t index;
        std::int32_t correct;
        std::int32_t input_offset;
        std::vector<std::string> input;
        std::int32_t output_offset;
        std::vector<std::string> output;
    };
    const Pinned pinned[] = {
        {1, 3, -4, {"...", "@@@.", "..@.", ".@.", "@."}, -2, {".$,", "$,"}},
        {8, 2, -2, {"....@.", "..@@.", "@@..."}, 0, {"@@$..."}},
        {17,
         3,
         -2,
         {"..@.", "...@.", "...@.", "...@.", "..@.", "@@."},
         -1,
         {"..$,", "...@", "..$,", ".$,"}},
        {23, 3, -1, {".@.", "@@.", "..@.", "..@."}, -1, {"@,", "@@$"}},
        {30, 2, -2, {"..", "@@.", "..@"}, -1, {"@,."}},
        {33, 1, -1, {".@", "@."}, -1, {"$"}},
    };
    for (const Pinned& p : pinned) {
        SCOPED_TRACE(p.index);
        const SlantPattern& e = SLANT_PATTERNS[p.index];
        EXPECT_EQ(e.correct, p.correct);
        EXPECT_EQ(e.input_offset, p.input_offset);
        EXPECT_EQ(e.output_offset, p.output_offset);
        ASSERT_EQ(e.input_count, static_cast<std::int32_t>(p.input.size()));
        ASSERT_EQ(e.output_count, static_cast<std::int32_t>(p.output.size()));
        for (std::size_t k = 0; k < p.input.size(); ++k)
            EXPECT_EQ(e.input_rows[k], p.input[k]);
        for (std::size_t k = 0; k < p.output.size(); ++k)
            EXPECT_EQ(e.output_rows[k], p.output[k]);
    }
}

// What the correction relies on, checked over every entry.
TEST(SlantPatterns, TableProperties) {
    std::map<int, int> per_level;
    std::vector<std::size_t> longer_than_same_row;
    std::map<std::pair<char, char>, int> writes;  // (output cell, input cell it lands on)
    for (std::size_t i = 0; i < SLANT_PATTERN_COUNT; ++i) {
        SCOPED_TRACE(i);
        const SlantPattern& e = SLANT_PATTERNS[i];
        ++per_level[e.correct];
        ASSERT_GE(e.input_count, 1);
        ASSERT_LE(e.input_count, 6);
        ASSERT_GE(e.output_count, 1);
        ASSERT_LE(e.output_count, 4);
        EXPECT_GE(e.input_offset, -4);
        EXPECT_LE(e.input_offset, -1);
        EXPECT_LE(e.input_offset, e.output_offset);
        EXPECT_LE(e.output_offset + e.output_count, e.input_offset + e.input_count);

        std::size_t longest = 0;
        for (std::size_t k = 0; k < 6; ++k) {
            if (k >= static_cast<std::size_t>(e.input_count)) {
                EXPECT_EQ(e.input_rows[k], nullptr);
                continue;
            }
            const std::string row = e.input_rows[k];
            EXPECT_GE(row.size(), 2u);
            EXPECT_LE(row.size(), 6u);
            EXPECT_EQ(row.find_first_not_of(".@"), std::string::npos) << row;
            longest = std::max(longest, row.size());
        }
        for (std::size_t k = 0; k < 4; ++k) {
            if (k >= static_cast<std::size_t>(e.output_count)) {
                EXPECT_EQ(e.output_rows[k], nullptr);
                continue;
            }
            const std::string row = e.output_rows[k];
            EXPECT_GE(row.size(), 1u);
            EXPECT_LE(row.size(), longest);
            EXPECT_EQ(row.find_first_not_of(".@$,"), std::string::npos) << row;
            const std::size_t in_row =
                static_cast<std::size_t>(e.output_offset - e.input_offset) + k;
            const std::string under = e.input_rows[in_row];
            if (row.size() > under.size()) longer_than_same_row.push_back(i);
            for (std::size_t j = 0; j < std::min(row.size(), under.size()); ++j)
                ++writes[{row[j], under[j]}];
        }
    }
    EXPECT_EQ(per_level, (std::map<int, int>{{1, 3}, {2, 16}, {3, 15}}));
    // Only entries 8 and 9 write one cell beyond the input row below them.
    EXPECT_EQ(longer_than_same_row, (std::vector<std::size_t>{8, 9}));
    EXPECT_EQ(writes[std::make_pair('$', '.')], 33);
    EXPECT_EQ(writes[std::make_pair(',', '@')], 22);
    EXPECT_EQ(writes[std::make_pair('$', '@')], 5);
    EXPECT_EQ(writes[std::make_pair(',', '.')], 1);
    EXPECT_EQ(writes[std::make_pair('.', '@')], 5);
    EXPECT_EQ(writes[std::make_pair('@', '.')], 1);
}

const char HEADER[] =
    "=== Pattern table ===\n"
    "Following patterns is for pixel correction in slant.\n"
    "Priority between patterns depends on pattern ID.\n"
    "\n";
const char FOOTER[] = "=== End of Pattern table ===\n";

std::string report(std::int32_t level) {
    StringSink out;
    print_slant_patterns(out, level);
    return out.text();
}

TEST(PrintSlantPatterns, WholeTable) {
    const std::string text = report(3);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 308);
    EXPECT_EQ(text.size(), 2826u);
    const std::string entry0 =
        "correct 3\n"
        "input (-2, 5)\n"
        "-2:\t..@\n"
        "-1:\t.@\n"
        " 0:\t.@\n"
        " 1:\t@..\n"
        " 2:\t@.\n"
        "output (-1, 1)\n"
        "-1:\t.$\n"
        "\n";
    EXPECT_EQ(text.substr(0, sizeof HEADER - 1 + entry0.size()), HEADER + entry0);
    const std::string entry17_rows =
        "input (-2, 6)\n-2:\t..@.\n-1:\t...@.\n 0:\t...@.\n"
        " 1:\t...@.\n 2:\t..@.\n 3:\t@@.\n"
        "output (-1, 4)\n-1:\t..$,\n 0:\t...@\n 1:\t..$,\n"
        " 2:\t.$,\n\n";
    EXPECT_NE(text.find(entry17_rows), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - sizeof FOOTER + 1), FOOTER);
    EXPECT_EQ(text, report(SLANT_RATIO));
    EXPECT_EQ(text, report(INT32_MAX));
}

TEST(PrintSlantPatterns, LevelOneAndEmptyLists) {
    EXPECT_EQ(report(1), std::string(HEADER) +
                             "correct 1\n"
                             "input (-2, 4)\n"
                             "-2:\t..@\n"
                             "-1:\t.@\n"
                             " 0:\t@@@\n"
                             " 1:\t..\n"
                             "output (-1, 2)\n"
                             "-1:\t$@\n"
                             " 0:\t@,@\n"
                             "\n"
                             "correct 1\n"
                             "input (-1, 3)\n"
                             "-1:\t.@..\n"
                             " 0:\t@.@.\n"
                             " 1:\t.@@.\n"
                             "output (0, 1)\n"
                             " 0:\t$\n"
                             "\n"
                             "correct 1\n"
                             "input (-1, 2)\n"
                             "-1:\t.@\n"
                             " 0:\t@.\n"
                             "output (-1, 1)\n"
                             "-1:\t$\n"
                             "\n" +
                             FOOTER);
    for (std::int32_t level : {0, -1, INT32_MIN}) {
        const std::string text = report(level);
        EXPECT_EQ(text, std::string(HEADER) + FOOTER);
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5);
    }
    // Level 2: its 19 entries and none of level 3.
    const std::string two = report(2);
    std::size_t blocks = 0;
    for (std::size_t at = two.find("correct "); at != std::string::npos;
         at = two.find("correct ", at + 1))
        ++blocks;
    EXPECT_EQ(blocks, 19u);
    EXPECT_EQ(two.find("correct 3"), std::string::npos);
}

}  // namespace
}  // namespace glyph
