// The bold row transform: digit reading, the four combinations of growth side
// and gap rule, and the word-parallel result against a per-pixel reference.

#include "bit_row.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "byte_io.hpp"

namespace glyph {
namespace {

using namespace std::string_literals;

struct Flags {
    bool left_shift, reflect_left;
};
constexpr Flags ALL_FLAGS[] = {{true, false}, {true, true}, {false, false}, {false, true}};

// The written line of one row, without its newline (which is checked here).
std::string bold(const std::string& text, std::size_t bytes, Flags f) {
    BitRow row = bit_row_new(bytes);
    embolden_row(row, text.c_str(), bytes, f.left_shift, f.reflect_left);
    StringSink out;
    print_bit_row(out, row, bytes);
    bit_row_free(row);
    std::string line = out.text();
    EXPECT_FALSE(line.empty() || line.back() != '\n') << "row " << text << " not ended";
    if (!line.empty()) line.pop_back();
    return line;
}

TEST(ParseHexWord, ReadsUpToNDigits) {
    // clang-format off
    struct Case {
        std::string text;
        std::size_t n;
        std::uint32_t word;
        std::size_t consumed;
    } cases[] = {
        {"12345678", 8, 0x12345678, 8}, {"abCDef09", 8, 0xabcdef09, 8},
        {"123456789", 8, 0x12345678, 8}, {"F", 1, 0xf0000000, 1}, {"fedc", 3, 0xfed00000, 3},
        {"anything", 0, 0, 0}, {"", 8, 0, 0}, {"12\00034"s, 8, 0x12000000, 2}, {"\n", 2, 0, 1},
        {"FZ", 2, 0xf0000000, 2}, {"G1", 2, 0x01000000, 2}, {"-1 2", 4, 0x01020000, 4},
        {"\xff\xaa" "a", 3, 0x00a00000, 3}};
    // clang-format on
    for (const Case& c : cases) {
        std::uint32_t word = 0xdeadbeef;
        EXPECT_EQ(parse_hex_word(word, c.text.c_str(), c.n), c.consumed) << c.text;
        EXPECT_EQ(word, c.word) << c.text;
    }
}

TEST(EmboldenRow, WorkedRowsUnderAllFourCombinations) {
    struct Case {
        const char* row;
        const char* results[4];  // in the order of ALL_FLAGS
    } cases[] = {{"80", {"80", "80", "c0", "c0"}}, {"20", {"60", "60", "30", "30"}},
                 {"01", {"03", "03", "01", "01"}}, {"30", {"70", "70", "38", "38"}},
                 {"48", {"d8", "d8", "6c", "6c"}}, {"A0", {"a0", "60", "d0", "b0"}},
                 {"AA", {"aa", "56", "d5", "ab"}}, {"28", {"68", "58", "34", "2c"}},
                 {"00", {"00", "00", "00", "00"}}, {"FF", {"ff", "ff", "ff", "ff"}}};
    for (const Case& c : cases) {
        for (int i = 0; i < 4; ++i) {
            const Flags f = ALL_FLAGS[i];
            const std::string row = c.row;
            std::string lower = row;
            for (char& ch : lower)
                ch = char(std::tolower(static_cast<unsigned char>(ch)));
            EXPECT_EQ(bold(row + "\n", 1, f), c.results[i]) << row << " flags " << i;
            EXPECT_EQ(bold(lower, 1, f), c.results[i]) << lower << " flags " << i;
        }
    }
}

TEST(EmboldenRow, CarriesCrossWordBoundaries) {
    EXPECT_EQ(bold("0000000180\n", 5, {true, false}), "0000000380");
    EXPECT_EQ(bold("0000000180\n", 5, {false, false}), "00000001c0");
    // A stroke at the last pixel of one word and the first of the next, in a long row.
    EXPECT_EQ(bold("00000000000000018000000000000000\n", 16, {true, false}),
              "00000000000000038000000000000000");
    EXPECT_EQ(bold("00000000000000018000000000000000\n", 16, {false, true}),
              "0000000000000001c000000000000000");
    // One-pixel gap on a word boundary: pixels 30 and 32 set.
    EXPECT_EQ(bold("0000000280\n", 5, {true, false}), "0000000680");
    EXPECT_EQ(bold("0000000280\n", 5, {true, true}), "0000000580");
    EXPECT_EQ(bold("0000000280\n", 5, {false, false}), "0000000340");
    EXPECT_EQ(bold("0000000280\n", 5, {false, true}), "00000002c0");
}

TEST(EmboldenRow, ShortEmptyAndOddRows) {
    EXPECT_EQ(bold("F\n", 2, {true, false}), "f000");
    EXPECT_EQ(bold("F\n", 2, {false, false}), "f800");
    EXPECT_EQ(bold("F\n", 2, {false, true}), "f800");
    EXPECT_EQ(bold("FZ", 1, {true, false}), "f0");
    EXPECT_EQ(bold("F Z 1\n", 3, {true, false}), "f00030");
    EXPECT_EQ(bold("ABCDEF12", 4, {true, false}), bold("abcdef12", 4, {true, false}));
    EXPECT_EQ(bold("ABCDEF12", 4, {true, false}), "abddef36");
    for (Flags f : ALL_FLAGS) {
        EXPECT_EQ(bold("", 3, f), "000000");
        EXPECT_EQ(bold("\n", 3, f), "000000");
        EXPECT_EQ(bold("\r\n", 5, f), "0000000000");
    }
    // A one-pixel row written as one byte: the growth to the right shows.
    EXPECT_EQ(bold("80", 1, {false, false}), "c0");
    // Bits beyond the glyph's width take part like any pixel.
    EXPECT_EQ(bold("C1", 1, {true, false}), "c3");
}

TEST(EmboldenRow, RowsOfOneToNineBytesGiveTwoDigitsPerByte) {
    for (std::size_t bytes = 1; bytes <= 9; ++bytes) {
        std::string ones, threes, full;
        for (std::size_t i = 0; i < bytes; ++i) {
            ones += "11";
            threes += "33";
            full += "ff";
        }
        EXPECT_EQ(bold(ones + "\n", bytes, {true, false}), threes) << bytes;
        // Digits beyond the row's bytes are ignored.
        EXPECT_EQ(bold(full + "ffff\n", bytes, {false, false}), full) << bytes;
        EXPECT_EQ(bold(ones + "99999999", bytes, {true, false}), threes) << bytes;
    }
}

// The bold row per pixel, straight from the formulas of the four combinations.
std::vector<int> reference_bold(const std::vector<int>& s, Flags f) {
    const int n = static_cast<int>(s.size());
    auto S = [&](int x) { return x >= 0 && x < n ? s[static_cast<std::size_t>(x)] : 0; };
    std::vector<int> b(s.size());
    for (int x = 0; x < n; ++x) {
        int v;
        if (f.left_shift && !f.reflect_left)
            v = S(x) | (S(x + 1) & !S(x - 1));
        else if (f.left_shift)
            v = S(x + 1) | (S(x) & !S(x + 2));
        else if (!f.reflect_left)
            v = S(x - 1) | (S(x) & !S(x - 2));
        else
            v = S(x) | (S(x - 1) & !S(x + 1));
        b[static_cast<std::size_t>(x)] = v;
    }
    return b;
}

int digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

TEST(EmboldenRow, WordParallelResultMatchesPerPixelFormulas) {
    std::mt19937 rng(20240611);
    const char digits[] = "0123456789abcdefABCDEF";
    BitRow row = bit_row_new(40);  // one record for rows of every length
    StringSink out(1);             // the smallest buffer: long rows go out in chunks
    std::size_t written = 0;
    for (int iteration = 0; iteration < 3000; ++iteration) {
        const std::size_t bytes = 1 + rng() % 40;
        // Sparse and dense rows, so one-pixel gaps and strokes both occur.
        const unsigned density = 1 + rng() % 3;
        std::string text;
        for (std::size_t i = 0; i < 2 * bytes; ++i) {
            std::uint32_t r = rng();
            if (r % 4 < density)
                text += digits[(r >> 8) % 22];
            else
                text += '0';
        }
        if (rng() % 8 == 0) text[rng() % text.size()] = "xZ -"[rng() % 4];
        if (rng() % 8 == 0) text.resize(rng() % text.size());
        if (rng() % 2 == 0) text += '\n';

        std::vector<int> pixels(8 * bytes, 0);
        for (std::size_t d = 0; d < 2 * bytes && d < text.size(); ++d)
            for (int bit = 0; bit < 4; ++bit)
                pixels[4 * d + static_cast<std::size_t>(bit)] =
                    (digit_value(text[d]) >> (3 - bit)) & 1;

        for (Flags f : ALL_FLAGS) {
            const std::vector<int> b = reference_bold(pixels, f);
            std::string expected;
            for (std::size_t d = 0; d < 2 * bytes; ++d)
                expected += "0123456789abcdef"[b[4 * d] << 3 | b[4 * d + 1] << 2 |
                                               b[4 * d + 2] << 1 | b[4 * d + 3]];
            embolden_row(row, text.c_str(), bytes, f.left_shift, f.reflect_left);
            print_bit_row(out, row, bytes);
            const std::string line = out.text().substr(written);
            written = out.text().size();
            ASSERT_EQ(line, expected + "\n")
                << "row \"" << text << "\" of " << bytes << " bytes, left_shift " << f.left_shift
                << ", reflect_left " << f.reflect_left;
        }
    }
    bit_row_free(row);
}

}  // namespace
}  // namespace glyph
