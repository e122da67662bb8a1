// The text as it is read and drawn: UTF-8 decoding, and the box for what the
// font lacks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "preview_harness.hpp"
#include "utf8.hpp"

namespace glyph::test {
namespace {

constexpr char32_t R = REPLACEMENT_CHARACTER;

TEST(PreviewText, Utf8Decoding) {
    const struct {
        std::string bytes;
        std::u32string code_points;
    } cases[] = {
        {"Az~", U"Az~"},
        {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", {0xE9, 0x20AC, 0x1F600}},
        {"\xF4\x8F\xBF\xBF", {0x10FFFF}},
        {"\xFFz", {R, 'z'}},
        {"\x80\xBF", {R, R}},                // stray continuation bytes, each its own
        {"\xC0\xAF", {R, R}},                // overlong, with a lead that is never valid
        {"\xE0\x80\xAF", {R, R, R}},         // overlong three-byte form
        {"\xED\xA0\x80", {R, R, R}},         // a surrogate
        {"\xF4\x90\x80\x80", {R, R, R, R}},  // past U+10FFFF
        {"\xE2\x82z", {R, 'z'}},             // cut short: the next character survives
        {"\xF0\x9F\x98", {R}},               // cut short by the end
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        EXPECT_EQ(decode_utf8(c.bytes), c.code_points);
    }
}

// The sample font is ASCII only: a letter it lacks and a bad byte each show
// as an outline of its 8 by 16 cell, with one column to spare, and a letter
// after a box keeps the place it has after any other character.
TEST(PreviewText, MissingCharacterIsABox) {
    const std::string top = "\u2588\u2580\u2580\u2580\u2580\u2580\u2588";
    const std::string side = "\u2588     \u2588";
    const std::string bottom = "\u2588\u2584\u2584\u2584\u2584\u2584\u2588";
    std::vector<std::string> box = {top};
    box.insert(box.end(), 6, side);
    box.push_back(bottom);

    std::string two_boxes = "sample-8x16.bdf\n";
    for (const std::string& row : box)
        two_boxes += row + " " + row + "\n";
    const RunResult r = preview({"-t", "\xC3\xA9\xFF", SAMPLE_FONT});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, two_boxes + "\n");

    const std::vector<std::string> letter = split_lines(preview({"-t", "H", SAMPLE_FONT}).out);
    ASSERT_EQ(letter.size(), box.size() + 2);
    std::string box_then_letter = "sample-8x16.bdf\n";
    for (std::size_t i = 0; i < box.size(); ++i) {
        std::string row = box[i] + " " + letter[i + 1];
        row.erase(row.find_last_not_of(' ') + 1);
        box_then_letter += row + "\n";
    }
    EXPECT_EQ(preview({"-t", "\xFFH", SAMPLE_FONT}).out, box_then_letter + "\n");
}

}  // namespace
}  // namespace glyph::test
