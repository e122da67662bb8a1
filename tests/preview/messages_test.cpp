// The command line and the messages: which arguments are options and which
// fonts, what a font that cannot be read costs (its own block only), and the
// runs that render nothing.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "preview_harness.hpp"

namespace glyph::test {
namespace {

// The golden block of a face under another label.
std::string relabelled(const std::string& block, const std::string& label) {
    return label + block.substr(block.find('\n'));
}

TEST(PreviewMessages, StatusOutputAndMessage) {
    const std::string regular = face_path(""), bold = face_path("-bold");
    const std::string missing = scratch_dir() / "missing.bdf";
    const std::string sample = read_file(SAMPLE_FONT);
    // Cut short inside a glyph, as an interrupted download leaves it.
    const std::string cut = write_scratch("cut.bdf", sample.substr(0, 2000));
    const std::string text = write_scratch("notes.bdf", "not a font\n");
    const std::string dir = scratch_dir();
    // Cells of 30000 by 30000 pixels: a line of boxes no picture may hold.
    const std::string huge = write_scratch(
        "huge.bdf",
        "STARTFONT 2.1\nFONT -x-Medium-R-Normal--8-80-75-75-C-80-ISO8859-1\nSIZE 8 75 75\n"
        "FONTBOUNDINGBOX 30000 30000 0 0\nCHARS 1\nSTARTCHAR dot\nENCODING 46\nDWIDTH 8 0\n"
        "BBX 8 1 0 0\nBITMAP\n18\nENDCHAR\nENDFONT\n");
    const std::string T = GOLDEN_TEXT;
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::string input;
        int status;
        std::optional<std::string> out;  // nothing: not compared
        std::string err;
    } cases[] = {
        {"a missing font between two",
         {"-t", T, regular, missing, bold},
         "",
         1,
         golden("") + golden("-bold"),
         "Cannot open font " + missing + ": cannot open resource\n"},
        {"a font cut short",
         {"-t", T, cut, regular},
         "",
         1,
         golden(""),
         "Cannot open font " + cut + ": Font glyphs corrupted or missing fields\n"},
        {"a line too large to draw between two",
         {"-t", T, regular, huge, bold},
         "",
         1,
         golden("") + golden("-bold"),
         "FATAL: Memory exhausted\n"},
        {"a text file",
         {"-t", T, regular, text},
         "",
         1,
         golden(""),
         "Cannot open font " + text + ": unknown file format\n"},
        {"the font on standard input",
         {"-t", T},
         sample,
         0,
         relabelled(golden(""), "(standard input)"),
         ""},
        {"nothing on standard input",
         {"-t", T},
         "",
         1,
         "",
         "Cannot open font (standard input): invalid stream operation\n"},
        {"values in the same argument", {"-t" + T, "-s1", regular}, "", 0, golden(""), ""},
        {"ignored options", {"-x", "-", "--scale=3", "-t", T, regular}, "", 0, golden(""), ""},
        {"options after the first font are fonts",
         {"-t", T, regular, "-s", "2"},
         "",
         1,
         golden(""),
         "Cannot open font -s: cannot open resource\nCannot open font 2: cannot open resource\n"},
        {"a later option overrides",
         {"-t", "x", "-s", "3", "-t", T, "-s", "1", regular},
         "",
         0,
         golden(""),
         ""},
        {"scale 0", {"-s", "0", regular}, "", 1, "", "Incorrect scale: 0\n"},
        {"scale 17", {"-s17", regular}, "", 1, "", "Incorrect scale: 17\n"},
        {"a negative scale", {"-s", "-2", regular}, "", 1, "", "Incorrect scale: -2\n"},
        {"a scale with a tail", {"-s", "2x", regular}, "", 1, "", "Incorrect scale: 2x\n"},
        {"no text", {"-t"}, sample, 1, "", "Missing argument for -t\n"},
        {"no file", {"-t", T, "-o"}, sample, 1, "", "Missing argument for -o\n"},
        {"a cap of 1 MiB and a line of 1.4 MB",
         {"-m", "1", "-s", "16", regular},
         "",
         1,
         "",
         "FATAL: Memory exhausted\n"},
        {"a cap of 2 MiB and the same line",
         {"-m2", "-s", "16", "-t", T, regular},
         "",
         0,
         std::nullopt,
         ""},
        {"a cap of 0", {"-m", "0", regular}, "", 1, "", "Incorrect memory cap: 0\n"},
        {"a cap beyond 1 TiB",
         {"-m", "1048577", regular},
         "",
         1,
         "",
         "Incorrect memory cap: 1048577\n"},
        {"a cap with a unit", {"-m", "256M", regular}, "", 1, "", "Incorrect memory cap: 256M\n"},
        {"a PNG into a folder",
         {"-o", dir, regular},
         "",
         1,
         "",
         "Cannot write " + dir + ": Is a directory\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const RunResult r = preview(c.args, c.input);
        EXPECT_EQ(r.status, c.status);
        if (c.out) {
            EXPECT_EQ(r.out, *c.out);
        }
        EXPECT_EQ(r.err, c.err);
    }
}

// -h does nothing else, not even look at the fonts or the options after it.
TEST(PreviewMessages, HelpEndsTheScan) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-h"}, {"-t", "x", "-h", "-s", "99", "missing.bdf"}}) {
        const RunResult r = preview(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "Usage: glyphpreview [OPTION] [FONT...]");
        EXPECT_EQ(r.err, "");
    }
}

}  // namespace
}  // namespace glyph::test
