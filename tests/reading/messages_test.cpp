// What glyphbdf says when it cannot do what it is asked: one line, status 1,
// nothing on standard output; and what -l and -h write.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "converters.hpp"
#include "glyphbdf.hpp"
#include "tool_harness.hpp"

namespace glyph::test {
namespace {

namespace fs = std::filesystem;

const std::string TERMINUS = "/usr/share/fonts/opentype/terminus/terminus-normal.otb";

// An outline font of a Debian package, which has no bitmap strike.
std::string outline_font() {
    for (const char* path : {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                             "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"})
        if (fs::exists(path)) return path;
    return {};
}

struct Case {
    std::string what;
    std::vector<std::string> args;
    std::string input;  // standard input
    std::string err;    // a regular expression for the whole of standard error
    bool needs_terminus = false, needs_outline = false;
};

TEST(Messages, EachFailureIsOneLineAndNoOutput) {
    const std::string outline = outline_font();
    const std::vector<Case> cases = {
        {"missing file",
         {"/nonexistent/font.pcf.gz"},
         "",
         "Cannot open font /nonexistent/font.pcf.gz: cannot open resource\n"},
        {"not a font", {}, "STARTFONT nonsense\n", "Cannot open font \\(standard input\\): .+\n"},
        {"empty input", {}, "", "Cannot open font \\(standard input\\): .+\n"},
        {"outline font",
         {outline},
         "",
         "No bitmap strike in " + outline + ": an outline font, which otf2bdf converts\n",
         false,
         true},
        {"several strikes",
         {TERMINUS},
         "",
         TERMINUS + " has strikes of several sizes; choose one with -z: "
                    "12 14 16 18 20 22 24 28 32\n",
         true},
        {"unknown size",
         {"-z", "15", TERMINUS},
         "",
         "No strike of 15 pixels in " + TERMINUS + "; its sizes: 12 14 16 18 20 22 24 28 32\n",
         true},
        {"unknown size of a one-strike font",
         {"-z15", SAMPLE_FONT},
         "",
         "No strike of 15 pixels in " + std::string(SAMPLE_FONT) + "; its sizes: 16\n"},
        {"missing value", {"-z"}, "", "Missing argument for -z\n"},
        {"bad size", {"-z", "16px", SAMPLE_FONT}, "", "Incorrect pixel size: 16px\n"},
        {"zero size", {"-z0", SAMPLE_FONT}, "", "Incorrect pixel size: 0\n"},
        {"bad cap", {"-m", "-1", SAMPLE_FONT}, "", "Incorrect memory cap: -1\n"},
        {"two fonts",
         {SAMPLE_FONT, SAMPLE_FONT},
         "",
         "Only one font is read at a time: " + std::string(SAMPLE_FONT) + "\n"},
        {"option after the font",
         {SAMPLE_FONT, "-z", "16"},
         "",
         "Options come before the font: -z\n"},
        {"cap too small for the font",
         {"-m", "1", "/usr/share/fonts/X11/misc/unifont.pcf.gz"},
         "",
         "FATAL: Memory exhausted\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needs_terminus && !fs::exists(TERMINUS)) continue;
        if (c.needs_outline && c.args[0].empty()) continue;
        if (c.what.rfind("cap", 0) == 0 && !fs::exists(c.args[2])) continue;
        const RunResult r = run_tool_on(run_glyphbdf, c.input, c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(std::regex_match(r.err, std::regex(c.err))) << r.err;
    }
    if (outline.empty())
        GTEST_SKIP() << "no outline font: install fonts-dejavu-core for the outline case";
}

TEST(Messages, ListAndHelpEndWithStatusZero) {
    const RunResult help = run_tool_on(run_glyphbdf, "", {"-h"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: glyphbdf", 0), 0u);
    EXPECT_EQ(help.err, "");
    if (!fs::exists(TERMINUS)) GTEST_SKIP() << "fonts-terminus-otb is not installed";
    const RunResult list = run_tool_on(run_glyphbdf, "", {"-l", TERMINUS});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.err, "");
    const std::vector<std::string> lines = split_lines(list.out);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], "12\t1326\tTerminus\tMedium");
    EXPECT_EQ(lines[8], "32\t1326\tTerminus\tMedium");
}

// The font on standard input reads as the same file named.
TEST(Messages, StandardInputReadsAsTheFile) {
    const std::string font = read_text(SAMPLE_FONT);
    const RunResult piped = run_tool_on(run_glyphbdf, font, {});
    const RunResult named = run_tool_on(run_glyphbdf, "", {SAMPLE_FONT});
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.err, "");
    EXPECT_EQ(piped.out, named.out);
    EXPECT_NE(piped.out.find("\nCHARS "), std::string::npos);
}

}  // namespace
}  // namespace glyph::test
