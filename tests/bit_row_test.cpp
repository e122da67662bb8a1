// The bold row transform: the four combinations of growth side and gap rule,
// and the word-parallel result against a per-pixel reference.
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
// -l -R (the default), -l -L, -r -R, -r -L.
constexpr Flags ALL_FLAGS[] = {{true, false}, {true, true}, {false, false}, {false, true}};

// The written line of one row, without its newline (which is checked here).
std::string bold(const std::string& text, std::size_t bytes, Flags f) {
    BitRow row = bit_row_new(bytes);
    embolden_row(row, text.c_str(), bytes, f.left_shift, f.reflect_left);
    StringSink out;
    print_bit_row(out, row, bytes);
    bit_row_free(row);
    std::string line = out.text();
    EXPECT_TRUE(line.ends_with('\n')) << "row " << text << " not ended";
    return line.substr(0, line.size() - 1);
}

TEST(EmboldenRow, WorkedRowsUnderAllFourCombinations) {
    const struct {
        const char* row;
        const char* results[4];  // in the order of ALL_FLAGS
    } cases[] = {{"80", {"80", "80", "c0", "c0"}}, {"20", {"60", "60", "30", "30"}},
                 {"01", {"03", "03", "01", "01"}}, {"30", {"70", "70", "38", "38"}},
                 {"48", {"d8", "d8", "6c", "6c"}}, {"A0", {"a0", "60", "d0", "b0"}},
                 {"AA", {"aa", "56", "d5", "ab"}}, {"28", {"68", "58", "34", "2c"}},
                 {"00", {"00", "00", "00", "00"}}, {"FF", {"ff", "ff", "ff", "ff"}}};
    for (const auto& c : cases) {
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(bold(c.row + "\n"s, 1, ALL_FLAGS[i]), c.results[i])
                << c.row << " flags " << i;
            const std::string lower = {char(std::tolower(c.row[0])), char(std::tolower(c.row[1]))};
            EXPECT_EQ(bold(lower, 1, ALL_FLAGS[i]), c.results[i]) << lower << " flags " << i;
        }
    }
}

TEST(EmboldenRow, WordBoundariesAndShortRows) {
    // clang-format off
    const struct { std::string text; std::size_t bytes; int flags; std::string result; } cases[] = {
        // A stroke at the last pixel of one word and the first of the next.
        {"0000000180\n", 5, 0, "0000000380"}, {"0000000180\n", 5, 2, "00000001c0"},
        {"00000000000000018000000000000000\n", 16, 0, "00000000000000038000000000000000"},
        {"00000000000000018000000000000000\n", 16, 3, "0000000000000001c000000000000000"},
        // A one-pixel gap on a word boundary: pixels 30 and 32 set.
        {"0000000280\n", 5, 0, "0000000680"}, {"0000000280\n", 5, 1, "0000000580"},
        {"0000000280\n", 5, 2, "0000000340"}, {"0000000280\n", 5, 3, "00000002c0"},
        // Short rows read as zeros; bits beyond the glyph's width take part.
        {"F\n", 2, 0, "f000"}, {"F\n", 2, 2, "f800"}, {"FZ", 1, 0, "f0"}, {"F Z 1\n", 3, 0, "f00030"},
        {"ABCDEF12", 4, 0, "abddef36"}, {"", 3, 1, "000000"}, {"\r\n", 5, 3, "0000000000"},
        {"C1", 1, 0, "c3"}};
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(bold(c.text, c.bytes, ALL_FLAGS[c.flags]), c.result) << c.text << " " << c.flags;
}

// The bold row per pixel, straight from the formulas of the four combinations.
std::vector<int> reference_bold(const std::vector<int>& s, Flags f) {
    const int n = static_cast<int>(s.size());
    auto S = [&](int x) { return x >= 0 && x < n ? s[static_cast<std::size_t>(x)] : 0; };
    std::vector<int> b(s.size());
    for (int x = 0; x < n; ++x) {
        if (f.left_shift && !f.reflect_left)
            b[std::size_t(x)] = S(x) | (S(x + 1) & !S(x - 1));
        else if (f.left_shift)
            b[std::size_t(x)] = S(x + 1) | (S(x) & !S(x + 2));
        else if (!f.reflect_left)
            b[std::size_t(x)] = S(x - 1) | (S(x) & !S(x - 2));
        else
            b[std::size_t(x)] = S(x) | (S(x - 1) & !S(x + 1));
    }
    return b;
}

TEST(EmboldenRow, WordParallelResultMatchesPerPixelFormulas) {
    std::mt19937 rng(20240611);
    const std::string digits = "0123456789abcdefABCDEF";
    BitRow row = bit_row_new(40);  // one record for rows of every length
    StringSink out(1);             // the smallest buffer: long rows go out in chunks
    std::size_t written = 0;
    for (int iteration = 0; iteration < 3000; ++iteration) {
        const std::size_t bytes = 1 + rng() % 40;
        // Sparse and dense rows, so one-pixel gaps and strokes both occur.
        const unsigned density = 1 + rng() % 3;
        std::string text;
        for (std::size_t i = 0; i < 2 * bytes; ++i)
            text += rng() % 4 < density ? digits[rng() % 22] : '0';
        if (rng() % 8 == 0) text[rng() % text.size()] = "xGg -\xc6"[rng() % 6];  // read as 0
        if (rng() % 8 == 0) text.resize(rng() % text.size());  // the end reads as 0 too
        std::vector<int> pixels(8 * bytes, 0);
        for (std::size_t d = 0; d < text.size(); ++d) {
            const std::size_t at = digits.find(text[d]);
            const int value = at == std::string::npos ? 0 : at < 16 ? int(at) : int(at) - 6;
            for (std::size_t bit = 0; bit < 4; ++bit)
                pixels[4 * d + bit] = (value >> (3 - bit)) & 1;
        }
        if (text.size() == 2 * bytes && rng() % 4 == 0) text += "f0f0";  // not read
        if (rng() % 2 == 0) text += '\n';

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
