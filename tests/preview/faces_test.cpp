// The terminal picture of the sample font in its four faces against goldens
// looked over by eye, and the scaling of that picture.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "preview_harness.hpp"

namespace glyph::test {
namespace {

const char* const FACES[] = {"", "-bold", "-oblique", "-bold-oblique"};

TEST(PreviewFaces, TerminalPictureOfEachFace) {
    for (const char* face : FACES) {
        SCOPED_TRACE(std::string("face ") + face);
        const RunResult r = preview({"-t", GOLDEN_TEXT, face_path(face)});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, golden(face, r.out));
    }
}

// Each font is one block, in the order named, whatever else is on the line.
TEST(PreviewFaces, FontsStackInOrder) {
    std::vector<std::string> args = {"-t", GOLDEN_TEXT};
    std::string expected;
    for (const char* face : {"-bold-oblique", "", "-bold"}) {
        args.push_back(face_path(face));
        expected += golden(face);
    }
    const RunResult r = preview(args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, expected);
}

// One font's block as it shows at scale 2: the label, then each picture line
// as two, every cell two wide and each half of it filling whole cells; the
// empty line that ends the block stays one.
std::string doubled(const std::string& block) {
    std::istringstream split(block);
    std::vector<std::string> lines;
    for (std::string line; std::getline(split, line);)
        lines.push_back(line);
    std::string out = lines.front() + "\n";
    for (std::size_t l = 1; l + 1 < lines.size(); ++l) {
        const std::string& line = lines[l];
        std::string upper, lower;
        for (std::size_t i = 0; i < line.size();) {
            const std::size_t n = line[i] == ' ' ? 1 : 3;  // the blocks take 3 bytes each
            const std::string cell = line.substr(i, n);
            upper += cell == "\u2580" || cell == "\u2588" ? "\u2588\u2588" : "  ";
            lower += cell == "\u2584" || cell == "\u2588" ? "\u2588\u2588" : "  ";
            i += n;
        }
        for (std::string* half : {&upper, &lower}) {
            half->erase(half->find_last_not_of(' ') + 1);
            out += *half + "\n";
        }
    }
    return out + "\n";
}

TEST(PreviewFaces, ScaleEnlargesEveryPixel) {
    for (const char* face : {"", "-oblique"}) {
        SCOPED_TRACE(std::string("face ") + face);
        const RunResult r = preview({"-s", "2", "-t", GOLDEN_TEXT, face_path(face)});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, doubled(golden(face)));
    }
}

}  // namespace
}  // namespace glyph::test
