// glyphfamily against what it stands for: the filters' own output, the real
// converters, and what FreeType and fontconfig read from the files made.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "child_process.hpp"
#include "face_choice.hpp"
#include "family_harness.hpp"
#include "file_io.hpp"
#include "font_survey.hpp"
#include "test_fonts.hpp"
#include "tool_harness.hpp"
#include "tools.hpp"
#if GLYPH_TEST_FREETYPE
#include "ft_ink.hpp"
#endif

namespace glyph::test {
namespace {

namespace fs = std::filesystem;

// The words of a line of the plan, as a POSIX shell splits them.
std::vector<std::string> shell_words(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool in_word = false, quoted = false;
    for (char c : line) {
        if (quoted) {
            if (c == '\'')
                quoted = false;
            else
                word += c;
        } else if (c == '\'') {
            quoted = in_word = true;
        } else if (c == ' ') {
            if (in_word) words.push_back(word);
            word.clear();
            in_word = false;
        } else {
            word += c;
            in_word = true;
        }
    }
    if (in_word) words.push_back(word);
    return words;
}

// The options of the font's filter runs printed by -n: "glyphslope -b -s 6".
std::map<std::string, std::string> printed_options(const std::string& font) {
    std::map<std::string, std::string> options;
    const RunResult plan = family({"-n", "-f", "bdf", "-o", "unused", font});
    for (const std::string& line : split_lines(plan.out)) {
        std::vector<std::string> words = shell_words(line);
        if (words.size() < 4 || words[words.size() - 3] != font) continue;
        std::string text;
        for (std::size_t i = 1; i + 3 < words.size(); ++i)
            text += (text.empty() ? "" : " ") + words[i];
        options[words[0]] = text;
    }
    return options;
}

TEST(FamilyChoice, OptionsFollowTheClassOfTheFont) {
    struct Case {
        const char* what;
        FontRecipe recipe;
        const char* bold;
        const char* oblique;
    };
    const Case cases[] = {
        {"proportional", {.width = 9, .spacing = 'P'}, "-w -a", "-b"},
        {"no SPACING, advances differ", {.width = 9, .spacing = 0}, "-w -a", "-b"},
        {"6x13: glyphs touch the cell",
         {.pixel_size = 13, .width = 6, .descent = 2},
         "",
         "-b -s 6"},
        {"6x13 with room in the cell",
         {.pixel_size = 13, .width = 6, .descent = 2, .inset = true},
         "-w",
         "-b -s 6"},
        {"monospaced like Unifont",
         {.pixel_size = 16, .width = 16, .descent = 2, .spacing = 'M'},
         "",
         "-b -s 7"},
        {"a descent no step keeps in",
         {.pixel_size = 40, .width = 8, .descent = 20},
         "",
         "-b -s 16"},
    };
    Scratch scratch;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string font = scratch.write("font.bdf", make_font(c.recipe));
        const std::map<std::string, std::string> printed = printed_options(font);
        EXPECT_EQ(printed.at("glyphstout"), c.bold);
        EXPECT_EQ(printed.at("glyphslope"), c.oblique);
        EXPECT_EQ(printed.at("glyphstoutslope"),
                  std::string(c.bold) + (*c.bold ? " " : "") + c.oblique);
        // The font box the filter writes is the one the choice was made on.
        const family::FontSurvey survey = family::survey_font(read(font)).font;
        const std::vector<std::string> words = shell_words(c.oblique);
        const std::int64_t step = words.size() == 3 ? std::stoll(words[2]) : 3;
        const family::Box box = family::balanced_slant_box(survey.font_box, step);
        std::vector<std::string> args = words;
        args.push_back(font);
        const std::string expected = "FONTBOUNDINGBOX " + std::to_string(box.width) + " " +
                                     std::to_string(box.height) + " " + std::to_string(box.x) +
                                     " " + std::to_string(box.y);
        const RunResult slanted = slope("", args);
        ASSERT_EQ(slanted.status, 0) << slanted.err;
        const std::vector<std::string> lines = split_lines(slanted.out);
        EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end()) << expected;
    }
}

TEST(FamilyFaces, EqualTheFiltersOutputWithThePrintedOptions) {
    Scratch scratch;
    std::vector<std::string> fonts;
    for (int size : {13, 16})
        fonts.push_back(scratch.write("cell " + std::to_string(size) + ".bdf",
                                      make_font({.pixel_size = size, .seed = unsigned(size)})));
    const std::string proportional = scratch.write("prop.bdf", make_font({.spacing = 'P'}));
    for (const std::vector<std::string>& inputs : {fonts, std::vector{proportional}}) {
        const std::string out = (scratch.path / "out").string();
        std::vector<std::string> args = {"-f", "bdf", "-o", out};
        args.insert(args.end(), inputs.begin(), inputs.end());
        args.insert(args.begin(), "-n");
        const RunResult plan = family(args);
        ASSERT_EQ(plan.status, 0) << plan.err;
        args.erase(args.begin());
        const RunResult made = family(args);
        ASSERT_EQ(made.status, 0) << made.err;
        int faces = 0;
        for (const std::string& line : split_lines(plan.out)) {
            if (line.starts_with("mkdir -p ")) continue;
            std::vector<std::string> words = shell_words(line);
            ASSERT_GE(words.size(), 4u) << line;
            ASSERT_EQ(words[words.size() - 2], ">") << line;
            const std::string written = read(words.back());
            std::vector<std::string> filter_args(words.begin() + 1, words.end() - 2);
            const std::map<std::string, ToolEntry> entries = {
                {"glyphstout", run_glyphstout},
                {"glyphslope", run_glyphslope},
                {"glyphstoutslope", run_glyphstoutslope}};
            if (words[0] == "cat") {
                EXPECT_EQ(written, read(filter_args.at(0))) << line;
            } else {
                const RunResult want = run_tool_on(entries.at(words[0]), "", filter_args);
                ASSERT_EQ(want.status, 0) << want.err;
                EXPECT_EQ(written, want.out) << line;
            }
            ++faces;
        }
        EXPECT_EQ(faces, 4 * static_cast<int>(inputs.size()));
        fs::remove_all(out);
    }
}

#if GLYPH_TEST_FREETYPE
TEST(FamilyFormats, FreeTypeReadsTheFacesFromPcfAndOtbAsFromTheBdf) {
    NEED_CONVERTERS();
    struct Case {
        const char* what;
        std::vector<FontRecipe> sizes;
    };
    const Case cases[] = {
        {"three sizes of a character-cell font",
         {{.pixel_size = 12, .width = 6, .descent = 2, .seed = 3},
          {.pixel_size = 14, .width = 7, .descent = 3, .seed = 4},
          {.pixel_size = 16, .width = 8, .descent = 4, .seed = 5}}},
        {"a proportional ISO8859-1 font, whose charset the converter refuses",
         {{.pixel_size = 13, .width = 10, .spacing = 'P', .registry = "ISO8859", .seed = 6}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scratch scratch;
        std::vector<std::string> args = {"-o", (scratch.path / "the family").string()};
        for (const FontRecipe& recipe : c.sizes)
            args.push_back(scratch.write("size" + std::to_string(recipe.pixel_size) + ".bdf",
                                         make_font(recipe)));
        const RunResult made = family(args);
        ASSERT_EQ(made.status, 0) << made.err;
        const fs::path out = scratch.path / "the family";
        int checked = 0;
        for (const char* face : {"Regular", "Bold", "Oblique", "BoldOblique"}) {
            const std::string otb = (out / "otb" / ("Glyphtest-" + std::string(face) + ".otb"));
            for (const FontRecipe& recipe : c.sizes) {
                const std::string suffix = face == std::string("Regular")   ? ""
                                           : face == std::string("Bold")    ? "-bold"
                                           : face == std::string("Oblique") ? "-oblique"
                                                                            : "-bold-oblique";
                const std::string stem = "size" + std::to_string(recipe.pixel_size) + suffix;
                FaceInk bdf = read_ink(out / "bdf" / (stem + ".bdf"), recipe.pixel_size);
                ASSERT_EQ(bdf.error, "");
                bdf.glyphs.erase(0);
                ASSERT_GT(bdf.glyphs.size(), 90u);
                for (const std::string& file : {(out / "pcf" / (stem + ".pcf.gz")).string(), otb}) {
                    SCOPED_TRACE(file);
                    FaceInk read = read_ink(file, recipe.pixel_size);
                    ASSERT_EQ(read.error, "");
                    if (file == otb) {
                        EXPECT_EQ(read.strikes, static_cast<int>(c.sizes.size()));
                    }
                    read.glyphs.erase(0);
                    EXPECT_TRUE(read.glyphs == bdf.glyphs);
                    for (const auto& [code, ink] : bdf.glyphs)
                        if (!(read.glyphs[code] == ink)) ADD_FAILURE() << "code point " << code;
                    ++checked;
                }
            }
        }
        EXPECT_EQ(checked, 8 * static_cast<int>(c.sizes.size()));
        // Four faces and the fontconfig file.
        EXPECT_EQ(std::distance(fs::directory_iterator(out / "otb"), fs::directory_iterator()), 5);
    }
}
#endif

TEST(FamilyFormats, FontconfigFindsTheFourStylesInTheirFiles) {
    NEED_CONVERTERS();
    if (!have("fc-match")) GTEST_SKIP() << "fontconfig (fc-match) is not installed";
    Scratch scratch;
    const std::string font =
        scratch.write("ff.bdf", make_font({.family = "Glyphfamily Check", .pixel_size = 14}));
    const fs::path out = scratch.path / "family";
    ASSERT_EQ(family({"-f", "otb", "-o", out.string(), font}).status, 0);
    const std::string config =
        scratch.write("fonts.conf",
                      "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                      "<fontconfig><dir>" +
                          (out / "otb").string() + "</dir><cachedir>" +
                          (scratch.path / "cache").string() + "</cachedir></fontconfig>\n");
    EnvSetting private_config("FONTCONFIG_FILE", config.c_str());
    const std::string fc_match = *family::find_on_path("fc-match", std::getenv("PATH"));
    for (const auto& [style, file] :
         std::map<std::string, std::string>{{"Regular", "Regular"},
                                            {"Bold", "Bold"},
                                            {"Italic", "Oblique"},
                                            {"Bold Italic", "BoldOblique"}}) {
        const std::string listed = (scratch.path / "match").string();
        const family::ChildResult match = family::run_child(
            fc_match, {"fc-match", "-f", "%{file}", "Glyphfamily Check:style=" + style}, &listed);
        ASSERT_TRUE(match.ok) << match.messages;
        EXPECT_EQ(read(listed), (out / "otb" / ("Glyphfamily Check-" + file + ".otb")).string())
            << style;
    }
}

TEST(FamilyFormats, TwoRunsWithSourceDateEpochGiveTheSameBytes) {
    NEED_CONVERTERS();
    Scratch scratch;
    const std::string font = scratch.write("f.bdf", make_font({.pixel_size = 12, .width = 6}));
    EnvSetting epoch("SOURCE_DATE_EPOCH", "1700000000");
    std::map<std::string, std::string> first;
    for (const char* name : {"one", "two"}) {
        ASSERT_EQ(family({"-o", (scratch.path / name).string(), font}).status, 0);
        if (first.empty()) {
            first = tree(scratch.path / name);
            sleep(1);  // the converter's own time stamp would differ now
        }
    }
    EXPECT_TRUE(first == tree(scratch.path / "two"));
    // The dates are the epoch's, and the file's checksum adjustment is right.
    const std::string otb = first.at("otb/Glyphtest-Bold.otb");
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < otb.size(); i += 4) {
        std::uint32_t word = 0;
        for (std::size_t k = 0; k < 4; ++k)
            word = word << 8 | (i + k < otb.size() ? static_cast<unsigned char>(otb[i + k]) : 0);
        sum += word;
    }
    EXPECT_EQ(sum, 0xB1B0AFBAu);
    EXPECT_NE(otb.find(std::string("\0\0\0\0\xe1\x79\xa1\x80", 8)), std::string::npos)
        << "no date of 1700000000 + 2082844800 seconds";
}

TEST(FamilyErrors, BadInputLeavesTheOutputFolderAsItWas) {
    Scratch scratch;
    const std::string good = scratch.write("good.bdf", make_font({}));
    std::string broken = make_font({.seed = 2});
    broken.replace(broken.find("BBX "), 4, "BBX 99 ");
    const std::string rejected = scratch.write("rejected.bdf", broken);
    const std::string other_family =
        scratch.write("other.bdf", make_font({.family = "Other", .pixel_size = 14}));
    const std::string other_charset = scratch.write(
        "koi.bdf", make_font({.pixel_size = 14, .registry = "KOI8", .encoding = "R"}));
    const std::string same_size = scratch.write("again.bdf", make_font({.seed = 3}));
    const std::string whole = make_font({.seed = 4});
    std::size_t cut = 0;
    for (int glyph = 0; glyph <= 40; ++glyph)
        cut = whole.find("STARTCHAR", cut + 1);
    const std::string truncated = scratch.write("truncated.bdf", whole.substr(0, cut + 8));
    const std::string unended =
        scratch.write("unended.bdf", whole.substr(0, whole.size() - std::strlen("ENDFONT\n")));
    const std::string colliding =
        scratch.write("good-bold.bdf", make_font({.pixel_size = 14, .seed = 5}));
    const fs::path fake = scratch.path / "fake-bin";
    fs::create_directory(fake);
    for (const char* program : {"bdftopcf", "mkfontdir", "gzip"}) {
        const std::string script = scratch.write(
            "fake-bin/" + std::string(program),
            std::string("#!/bin/sh\necho \"") + program + ": broken here: $*\" >&2\nexit 3\n");
        fs::permissions(script, fs::perms::owner_all);
    }
    const std::string out = (scratch.path / "out").string();
    fs::create_directories(out + "/pcf");
    scratch.write("out/pcf/fonts.dir", "1\nold.pcf.gz -old-\n");
    fs::create_directory(scratch.path / "blocked");
    scratch.write("blocked/bdf", "a file where a folder belongs");
    const std::string blocked = (scratch.path / "blocked").string();

    struct Case {
        const char* what;
        std::vector<std::string> args;
        const char* path;  // PATH for the run, or nullptr to keep it
        std::string message;
    };
    const Case cases[] = {
        {"a font that cannot be read",
         {"-f", "bdf", "missing.bdf"},
         nullptr,
         "missing.bdf: No such file or directory"},
        {"a font whose glyph box the filters could not read",
         {"-f", "bdf", rejected},
         nullptr,
         rejected + ": line 32: glyph U+0 has 1 bitmap row, but its BBX is 4 high"},
        {"a font cut short in a keyword",
         {"-f", "bdf", truncated},
         nullptr,
         truncated + ": CHARS 103, but 40 glyphs (the text ends at line"},
        {"a font without ENDFONT", {"-f", "bdf", unended}, nullptr, unended + ": no ENDFONT line"},
        {"two sizes whose faces share a file name",
         {"-f", "bdf", good, colliding},
         nullptr,
         good + " and " + colliding + " would both write bdf/good-bold.bdf"},
        {"fonts of two families",
         {"-f", "bdf", good, other_family},
         nullptr,
         other_family + ": family \"Other\""},
        {"fonts of two charsets",
         {"-f", "bdf", good, other_charset},
         nullptr,
         other_charset + ": charset KOI8-R"},
        {"a size given twice",
         {"-f", "bdf", good, same_size},
         nullptr,
         same_size + ": size 16 is given twice"},
        {"a folder that cannot be written",
         {"-f", "bdf", "-o", blocked, good},
         nullptr,
         blocked + "/bdf: not a folder"},
        {"a converter that fails, naming the files it was given",
         {"-f", "pcf", good},
         fake.c_str(),
         "broken here: -t " + out + "/bdf/good.bdf"},
        {"a converter that is missing",
         {"-f", "pcf", good},
         "/nonexistent",
         "-f pcf: bdftopcf (package xfonts-utils) is not on PATH"},
    };
    const std::map<std::string, std::string> before = tree(scratch.path);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> args = {"-o", out};
        args.insert(args.end(), c.args.begin(), c.args.end());
        std::optional<EnvSetting> path;
        if (c.path) path.emplace("PATH", c.path);
        const RunResult run = family(args);
        path.reset();
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(split_lines(run.err).size(), 1u) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find(".part-"), std::string::npos) << "a stage path: " << run.err;
        EXPECT_TRUE(tree(scratch.path) == before);
    }
    const RunResult unknown = family({"-x", good});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("Usage: glyphfamily"), std::string::npos);
    EXPECT_TRUE(tree(scratch.path) == before);
}

TEST(FamilyOptions, FaceOptionsAreCheckedWhenRead) {
    Scratch scratch;
    const std::string font = scratch.write("f.bdf", make_font({}));
    struct Case {
        const char* option;
        const char* value;
        const char* refused;  // what the message says, or nullptr when taken
    };
    const Case cases[] = {
        {"--bold", "-r -w", nullptr},
        {"--bold", "", nullptr},
        {"--oblique", "-b -s 6", nullptr},
        {"--oblique", "-s16", nullptr},
        {"--bold", "-x --nonsense", "'-x' is not an option for the face"},
        {"--bold", "-lw", "'-lw' is not an option"},
        {"--bold", "-b", "'-b' is not an option"},
        {"--bold", "-V", "'-V' is not an option"},
        {"--oblique", "-w", "'-w' is not an option"},
        {"--oblique", "-b -s", "'-s' needs its number of rows"},
        {"--oblique", "-s 17", "'-s 17': the rows per step are a number from 1 to 16"},
        {"--oblique", "-s0", "'-s 0'"},
        {"--oblique", "-s x", "'-s x'"},
        {"--oblique", "-h", "'-h' is not an option"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.option) + " " + c.value);
        const RunResult run = family({"-n", "-f", "bdf", c.option, c.value, font});
        if (!c.refused) {
            EXPECT_EQ(run.status, 0) << run.err;
            continue;
        }
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(std::string("glyphfamily: ") + c.option + ": " + c.refused),
                  std::string::npos)
            << run.err;
        EXPECT_NE(run.err.find("Usage: glyphfamily"), std::string::npos);
        EXPECT_EQ(run.out, "");
    }
}

TEST(FamilyOutput, AFolderNamedWithATrailingSlashIsMadeAndFilled) {
    Scratch scratch;
    const std::string font = scratch.write("f.bdf", make_font({}));
    for (const char* name : {"newdir/", "newdir//"}) {
        SCOPED_TRACE(name);
        const RunResult run = family({"-f", "bdf", "-o", (scratch.path / name).string(), font});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(read(scratch.path / "newdir/bdf/f.bdf"), read(font));
        // A second run fills the folder that now exists.
        EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path), fs::directory_iterator()), 2);
    }
}

TEST(FamilySurvey, ReadsTheFontAsTheFiltersReadIt) {
    struct Case {
        const char* what;
        std::string text;
        const char* charset;
        family::Spacing spacing;
        std::int64_t pixel_size;
    };
    const std::string cell = make_font({.registry = "ISO8859"});
    const std::string proportional = make_font({.pixel_size = 13, .spacing = 0});
    const auto edited = [](std::string text, const std::string& from, const std::string& to) {
        return text.replace(text.find(from), from.size(), to);
    };
    const Case cases[] = {
        {"as written", cell, "ISO8859-1", family::Spacing::cell, 16},
        {"the registry after a tab", edited(cell, "CHARSET_REGISTRY \"", "CHARSET_REGISTRY\t\""),
         "ISO8859-1", family::Spacing::cell, 16},
        {"no charset properties: the FONT name's",
         edited(edited(cell, "CHARSET_REGISTRY \"ISO8859\"\n", ""), "CHARSET_ENCODING \"1\"\n", ""),
         "ISO8859-1", family::Spacing::cell, 16},
        {"no SPACING, advances that differ", proportional, "ISO10646-1",
         family::Spacing::proportional, 13},
        {"no PIXEL_SIZE: the font box's height", edited(cell, "PIXEL_SIZE 16\n", ""), "ISO8859-1",
         family::Spacing::cell, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const family::SurveyResult survey = family::survey_font(c.text);
        ASSERT_EQ(survey.error, "");
        EXPECT_EQ(family::charset(survey.font), c.charset);
        EXPECT_EQ(survey.font.family, "Glyphtest");
        EXPECT_EQ(survey.font.spacing, c.spacing);
        EXPECT_EQ(survey.font.pixel_size, c.pixel_size);
    }
}

}  // namespace
}  // namespace glyph::test
