// The PNG file: what libpng reads back is the picture, pixel for pixel, and a
// page holds the same glyph pixels the terminal shows.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "bitmap.hpp"
#include "family/test_fonts.hpp"
#include "layout.hpp"
#include "png_writer.hpp"
#include "preview_harness.hpp"
#include "utf8.hpp"

namespace glyph::test {
namespace {

constexpr std::uint8_t INK = 0, PAPER = 255;

// Odd sizes and a pattern without symmetry, so that a swapped axis, a lost
// row, a padded stride or inverted colours all show.
TEST(PreviewPng, WrittenPictureReadsBackPixelForPixel) {
    Bitmap picture(13, 7);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if ((x * x + 3 * y) % 5 == 0 || x == y) picture.set(x, y);
    const auto path = scratch_dir() / "pattern.png";
    std::string reason;
    ASSERT_TRUE(write_png(path, picture, reason)) << reason;

    const GrayImage image = read_png(path);
    ASSERT_EQ(image.width, picture.width());
    ASSERT_EQ(image.height, picture.height());
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            EXPECT_EQ(image.at(x, y), picture.ink(x, y) ? INK : PAPER) << x << "," << y;
}

// The pixels of a golden's picture lines (its label and end left out).
std::vector<std::vector<bool>> golden_pixels(const std::string& block) {
    std::istringstream split(block);
    std::vector<std::string> lines;
    for (std::string line; std::getline(split, line);)
        lines.push_back(line);
    std::vector<std::vector<bool>> rows;
    for (std::size_t l = 1; l + 1 < lines.size(); ++l) {
        std::vector<bool> upper, lower;
        for (std::size_t i = 0; i < lines[l].size();) {
            const std::size_t n = lines[l][i] == ' ' ? 1 : 3;
            const std::string cell = lines[l].substr(i, n);
            upper.push_back(cell == "\u2580" || cell == "\u2588");
            lower.push_back(cell == "\u2584" || cell == "\u2588");
            i += n;
        }
        rows.push_back(upper);
        rows.push_back(lower);
    }
    return rows;
}

// The page at scale 3, brought back to scale 1 after checking that every
// 3 by 3 square is of one colour, shows the golden's line exactly once, with
// ink above it (the label) and none below.
TEST(PreviewPng, PageShowsTheTerminalPicture) {
    const auto path = scratch_dir() / "page.png";
    const RunResult r = preview({"-s", "3", "-t", GOLDEN_TEXT, "-o", path, face_path("-oblique")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const GrayImage big = read_png(path);
    ASSERT_EQ(big.width % 3, 0);
    ASSERT_EQ(big.height % 3, 0);
    const int width = big.width / 3, height = big.height / 3;
    std::vector<std::vector<bool>> page(height, std::vector<bool>(width));
    for (int y = 0; y < big.height; ++y) {
        for (int x = 0; x < big.width; ++x) {
            ASSERT_TRUE(big.at(x, y) == INK || big.at(x, y) == PAPER) << x << "," << y;
            ASSERT_EQ(big.at(x, y), big.at(x / 3 * 3, y / 3 * 3)) << x << "," << y;
        }
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            page[y][x] = big.at(3 * x, 3 * y) == INK;

    const auto line = golden_pixels(golden("-oblique"));
    std::size_t line_width = 0;
    for (const auto& row : line)
        line_width = std::max(line_width, row.size());
    // Golden lines end at their last ink; past that they are paper.
    auto matches_at = [&](int left, int top) {
        for (std::size_t y = 0; y < line.size(); ++y)
            for (std::size_t x = 0; x < line_width; ++x)
                if (page[top + y][left + x] != (x < line[y].size() && line[y][x])) return false;
        return true;
    };
    std::vector<std::pair<int, int>> found;
    for (int top = 0; top + int(line.size()) <= height; ++top)
        for (int left = 0; left + int(line_width) <= width; ++left)
            if (matches_at(left, top)) found.emplace_back(left, top);
    ASSERT_EQ(found.size(), 1u);

    const int top = found[0].second, bottom = top + int(line.size());
    bool ink_above = false, ink_below = false;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!page[y][x]) continue;
            if (y < top) ink_above = true;
            if (y >= bottom) ink_below = true;
        }
    }
    EXPECT_TRUE(ink_above);
    EXPECT_FALSE(ink_below);
}

// Each file's name is set in a face that has its characters: its own font's,
// else the first font above it that has them, else its own with boxes. The
// page is compared with one composed from those choices.
TEST(PreviewPng, EachLabelIsSetInAFaceThatShowsIt) {
    std::vector<int> digits;
    for (int c = '0'; c <= '9'; ++c)
        digits.push_back(c);
    const std::string regular = face_path(""), bold = face_path("-bold");
    const std::string numbers = write_scratch("numbers.bdf", make_font({.codes = digits}));
    const struct {
        const char* what;
        std::vector<std::string> fonts;
        std::vector<std::size_t> label_faces;  // indices into fonts
    } cases[] = {
        {"each font shows its own name, the one without letters the first font's",
         {regular, bold, numbers},
         {0, 1, 0}},
        {"no font above shows the name: boxes in its own", {numbers, regular}, {0, 1}},
    };
    const std::string text = "Hi 0123";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto path = scratch_dir() / "labels.png";
        std::vector<std::string> args = {"-t", text, "-o", path};
        args.insert(args.end(), c.fonts.begin(), c.fonts.end());
        const RunResult r = preview(args);
        ASSERT_EQ(r.status, 0) << r.err;

        FontLibrary library;
        std::vector<std::unique_ptr<Font>> fonts;
        std::vector<PageEntry> entries;
        for (const std::string& font : c.fonts) {
            std::string reason;
            fonts.push_back(Font::open_file(library, font, reason));
            ASSERT_TRUE(fonts.back()) << reason;
        }
        for (std::size_t i = 0; i < fonts.size(); ++i) {
            const std::u32string name =
                decode_utf8(std::filesystem::path(c.fonts[i]).filename().string());
            entries.push_back(
                {set_line(*fonts[c.label_faces[i]], name), set_line(*fonts[i], decode_utf8(text))});
        }
        const Bitmap want = compose_page(entries);
        const GrayImage got = read_png(path);
        ASSERT_EQ(got.width, want.width());
        ASSERT_EQ(got.height, want.height());
        for (int y = 0; y < want.height(); ++y)
            for (int x = 0; x < want.width(); ++x)
                ASSERT_EQ(got.at(x, y), want.ink(x, y) ? INK : PAPER) << x << "," << y;
    }
}

}  // namespace
}  // namespace glyph::test
