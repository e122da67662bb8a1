// The PNG file: what libpng reads back is the picture, pixel for pixel, and a
// page holds the same glyph pixels the terminal shows.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "bitmap.hpp"
#include "png_writer.hpp"
#include "preview_harness.hpp"

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

}  // namespace
}  // namespace glyph::test
