// The slant pattern table, the working lists built from it and its report.
#include "slant_patterns.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "slant_geometry.hpp"

namespace glyph {
namespace {

// Table positions of the entries in a working list, up to its terminator.
std::vector<int> positions(const SlantPatternList& list) {
    std::vector<int> found;
    for (std::size_t i = 0; list[i].correct > 0 && i < SLANT_PATTERN_COUNT; ++i) {
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
    EXPECT_EQ(SLANT_PATTERNS[SLANT_PATTERN_COUNT].correct, 0);
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

// 64-bit FNV-1a: pins every byte of the whole report, and so of the table.
std::uint64_t fnv1a(const std::string& text) {
    std::uint64_t hash = 14695981039346656037u;
    for (unsigned char c : text)
        hash = (hash ^ c) * 1099511628211u;
    return hash;
}

TEST(PrintSlantPatterns, WholeTable) {
    const std::string text = report(3);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 308);
    EXPECT_EQ(text.size(), 2826u);
    EXPECT_EQ(fnv1a(text), 0x3101037227617c1eu);
    const std::string entry0 =
        "correct 3\ninput (-2, 5)\n-2:\t..@\n-1:\t.@\n 0:\t.@\n 1:\t@..\n 2:\t@.\n"
        "output (-1, 1)\n-1:\t.$\n\n";
    EXPECT_EQ(text.substr(0, sizeof HEADER - 1 + entry0.size()), HEADER + entry0);
    const std::string entry17 =
        "correct 3\ninput (-2, 6)\n-2:\t..@.\n-1:\t...@.\n 0:\t...@.\n 1:\t...@.\n 2:\t..@.\n"
        " 3:\t@@.\noutput (-1, 4)\n-1:\t..$,\n 0:\t...@\n 1:\t..$,\n 2:\t.$,\n\n";
    EXPECT_NE(text.find(entry17), std::string::npos);
    EXPECT_TRUE(text.ends_with(FOOTER));
    EXPECT_EQ(text, report(SLANT_RATIO));
    EXPECT_EQ(text, report(INT32_MAX));
}

TEST(PrintSlantPatterns, LevelOneAndEmptyLists) {
    EXPECT_EQ(report(1), std::string(HEADER) +
                             "correct 1\ninput (-2, 4)\n-2:\t..@\n-1:\t.@\n 0:\t@@@\n 1:\t..\n"
                             "output (-1, 2)\n-1:\t$@\n 0:\t@,@\n\n"
                             "correct 1\ninput (-1, 3)\n-1:\t.@..\n 0:\t@.@.\n 1:\t.@@.\n"
                             "output (0, 1)\n 0:\t$\n\n"
                             "correct 1\ninput (-1, 2)\n-1:\t.@\n 0:\t@.\n"
                             "output (-1, 1)\n-1:\t$\n\n" +
                             FOOTER);
    for (std::int32_t level : {0, -1, INT32_MIN})
        EXPECT_EQ(report(level), std::string(HEADER) + FOOTER);
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
