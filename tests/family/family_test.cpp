// glyphfamily against what it stands for: the filters' own output, the real
// converters, and what FreeType and fontconfig read from the files made.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "child_process.hpp"
#include "face_choice.hpp"
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

// A scratch folder, removed with everything in it.
struct Scratch {
    Scratch() {
        std::string name = (fs::temp_directory_path() / "glyphfamily-XXXXXX").string();
        path = ::mkdtemp(name.data());
    }
    ~Scratch() { fs::remove_all(path); }
    std::string write(const std::string& name, const std::string& text) const {
        const std::string file = (path / name).string();
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }
    fs::path path;
};

// Sets an environment variable for the life of the object.
struct EnvSetting {
    EnvSetting(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~EnvSetting() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }
    const char* name_;
    std::optional<std::string> old_;
};

RunResult family(std::vector<std::string> args) {
    return run_tool_on(run_glyphfamily, "", std::move(args));
}

bool have(const char* program) {
    return family::find_on_path(program, std::getenv("PATH")).has_value();
}

#define NEED_CONVERTERS()                                               \
    if (!have("bdftopcf") || !have("fonttosfnt") || !have("mkfontdir")) \
    GTEST_SKIP() << "xfonts-utils (bdftopcf, fonttosfnt, mkfontdir) is not installed"

std::string read(const fs::path& path) {
    std::string text;
    family::read_file(path.string(), text);
    return text;
}

// Every file and folder under `root`, with the bytes of each file.
std::map<std::string, std::string> tree(const fs::path& root) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        entries[fs::relative(entry.path(), root).string()] =
            entry.is_directory() ? "<folder>" : read(entry.path());
    return entries;
}

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
        EXPECT_EQ(std::distance(fs::directory_iterator(out / "otb"), fs::directory_iterator()), 4);
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
    const fs::path fake = scratch.path / "fake-bin";
    fs::create_directory(fake);
    for (const char* program : {"bdftopcf", "fonttosfnt", "mkfontdir", "gzip"}) {
        const std::string script = scratch.write(
            "fake-bin/" + std::string(program),
            std::string("#!/bin/sh\necho \"") + program + ": broken here\" >&2\nexit 3\n");
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
        {"a font the filter rejects",
         {"-f", "bdf", rejected},
         nullptr,
         rejected + ": glyphstout: Incorrect bounding box data: BBX 99"},
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
        {"a converter that fails", {"-f", "pcf", good}, fake.c_str(), "broken here"},
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
        EXPECT_TRUE(tree(scratch.path) == before);
    }
    const RunResult unknown = family({"-x", good});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("Usage: glyphfamily"), std::string::npos);
    EXPECT_TRUE(tree(scratch.path) == before);
}

}  // namespace
}  // namespace glyph::test
