// glyphfamily as the home of families: the plan printed by -n run as a
// script, faces named whatever the regular face is called, several runs and
// families into one folder, OpenType files per coverage, and the fontconfig
// file that makes them visible.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>

#include "bdf_font.hpp"
#include "child_process.hpp"
#include "file_io.hpp"
#include "fontconfig_file.hpp"
#include "test_fonts.hpp"
#include "tool_harness.hpp"
#include "tools.hpp"
#if __has_include("glyphbdf.hpp")
#include "glyphbdf.hpp"
#define GLYPH_TEST_READING 1
#endif
#if GLYPH_TEST_FREETYPE
#include "ft_ink.hpp"
#endif

namespace glyph::test {
namespace {

namespace fs = std::filesystem;

struct Scratch {
    Scratch() {
        std::string name = (fs::temp_directory_path() / "glyphfolder-XXXXXX").string();
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

// Sets an environment variable (or unsets it, given no value) for the life of
// the object.
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

#define NEED_CONVERTERS()                        \
    if (!have("bdftopcf") || !have("mkfontdir")) \
    GTEST_SKIP() << "xfonts-utils (bdftopcf, mkfontdir) is not installed"

std::string read(const fs::path& path) {
    std::string text;
    family::read_file(path.string(), text);
    return text;
}

std::string read_file_text(const std::string& path) {
    return read(path);
}

std::map<std::string, std::string> tree(const fs::path& root) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        entries[fs::relative(entry.path(), root).string()] =
            entry.is_directory() ? "<folder>" : read(entry.path());
    return entries;
}

// The lines of fonts.dir after its count, sorted.
std::vector<std::string> fonts_dir_lines(const fs::path& file) {
    std::istringstream in(read(file));
    std::string line;
    std::getline(in, line);
    std::vector<std::string> lines;
    while (std::getline(in, line))
        lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// What fc-scan says of a file: "family|style|pixelsize|spacing".
std::string fc_scan(const fs::path& file) {
    const family::ChildResult scan = family::run_child(
        *family::find_on_path("fc-scan", std::getenv("PATH")),
        {"fc-scan", "--format", "%{family}|%{style}|%{pixelsize}|%{spacing}\n", file.string()});
    return scan.messages;
}

TEST(FamilyPlanScript, RunsAsShellScriptAndWritesWhatTheRunWrites) {
    NEED_CONVERTERS();
    Scratch scratch;
    // One font the filters name themselves, one glyphfamily must rename.
    const std::string medium = scratch.write("m16.bdf", make_font({.pixel_size = 16}));
    const std::string regular = scratch.write(
        "r13.bdf",
        make_font({.family = "Other", .pixel_size = 13, .seed = 5, .weight = "Regular"}));
    for (const std::string& font : {medium, regular}) {
        const std::string by_script = (scratch.path / "script").string();
        const std::string by_run = (scratch.path / "run").string();
        const RunResult plan = family({"-n", "-o", by_script, font});
        ASSERT_EQ(plan.status, 0) << plan.err;
        const std::string script = scratch.write("plan.sh", plan.out);
        const std::string path = std::string(GLYPH_BINARY_DIR) + ":" + std::getenv("PATH");
        const family::ChildResult ran =
            family::run_child("/usr/bin/env", {"env", "PATH=" + path, "sh", "-e", script});
        ASSERT_TRUE(ran.ok) << ran.messages << "\n" << plan.out;
        const RunResult made = family({"-o", by_run, font});
        ASSERT_EQ(made.status, 0) << made.err;
        EXPECT_EQ(tree(by_script), tree(by_run)) << plan.out;
        fs::remove_all(by_script);
        fs::remove_all(by_run);
    }
}

// Whatever the regular face calls its weight and slant, the four faces get
// four names, in fonts.dir and in the OpenType files; a face that is not
// regular is refused before anything is written.
TEST(FamilyNames, FourFacesFourNamesWhateverTheWeight) {
    NEED_CONVERTERS();
    const bool scan = have("fc-scan");
    Scratch scratch;
    for (const std::string weight : {"Regular", "", "Book", "medium", "Normal"}) {
        const std::string font =
            scratch.write("w.bdf", make_font({.pixel_size = 14, .weight = weight}));
        const fs::path out = scratch.path / "out";
        const RunResult made = family({"-o", out.string(), font});
        ASSERT_EQ(made.status, 0) << weight << ": " << made.err;
        std::set<std::string> names;
        for (const std::string& line : fonts_dir_lines(out / "pcf" / "fonts.dir"))
            names.insert(line.substr(line.find(' ') + 1));
        EXPECT_EQ(names.size(), 4u) << weight;
        EXPECT_TRUE(names.count("-test-glyphtest-bold-i-normal--14-140-75-75-c-80-iso10646-1"))
            << weight;
        if (scan) {
            std::set<std::string> styles;
            for (const char* style : {"Regular", "Bold", "Oblique", "BoldOblique"}) {
                const std::string seen =
                    fc_scan(out / "otb" / (std::string("Glyphtest-") + style + ".otb"));
                styles.insert(seen.substr(0, seen.find('|', seen.find('|') + 1)));
            }
            EXPECT_EQ(styles, (std::set<std::string>{"Glyphtest|Regular", "Glyphtest|Bold",
                                                     "Glyphtest|Italic", "Glyphtest|Bold Italic"}))
                << weight;
        }
        fs::remove_all(out);
    }
    for (const auto& [weight, slant] : std::vector<std::pair<std::string, std::string>>{
             {"Bold", "R"}, {"ExtraBold", "R"}, {"Medium", "I"}, {"Medium", "O"}}) {
        const std::string font =
            scratch.write("b.bdf", make_font({.pixel_size = 14, .weight = weight, .slant = slant}));
        const fs::path out = scratch.path / "refused";
        const RunResult made = family({"-o", out.string(), font});
        EXPECT_EQ(made.status, 1) << weight << slant;
        EXPECT_NE(made.err.find("not a regular face"), std::string::npos) << made.err;
        EXPECT_NE(made.err.find("WEIGHT_NAME \"" + weight + "\""), std::string::npos) << made.err;
        EXPECT_FALSE(fs::exists(out));
    }
}

// Runs of two sizes and of two families into one folder: fonts.dir lists
// every PCF font in it, each family's OpenType files hold all its sizes,
// and a size given again replaces that size.
TEST(FamilyFolder, KeepsEveryFamilyAndSizeOfEarlierRuns) {
    NEED_CONVERTERS();
    Scratch scratch;
    const fs::path out = scratch.path / "fonts";
    const auto run = [&](const std::string& name, const FontRecipe& recipe) {
        const RunResult made = family({"-o", out.string(), scratch.write(name, make_font(recipe))});
        ASSERT_EQ(made.status, 0) << made.err;
    };
    run("a13.bdf", {.pixel_size = 13});
    run("a16.bdf", {.pixel_size = 16, .seed = 2});
    run("b14.bdf", {.family = "Second", .pixel_size = 14});
    EXPECT_EQ(fonts_dir_lines(out / "pcf" / "fonts.dir").size(), 12u);
    const std::map<std::string, std::string> before = tree(out);
    if (have("fc-scan")) {
        EXPECT_EQ(fc_scan(out / "otb" / "Glyphtest-Bold.otb"), "Glyphtest|Bold|13,16|110\n");
        EXPECT_EQ(fc_scan(out / "otb" / "Second-Bold.otb"), "Second|Bold|14|110\n");
    }
    // Size 16 again under another name: its old files go, the rest stays.
    run("c16.bdf", {.pixel_size = 16, .seed = 9});
    const std::map<std::string, std::string> after = tree(out);
    EXPECT_FALSE(after.count("bdf/a16.bdf"));
    EXPECT_FALSE(after.count("pcf/a16-bold.pcf.gz"));
    EXPECT_EQ(after.at("bdf/a13.bdf"), before.at("bdf/a13.bdf"));
    EXPECT_EQ(after.at("otb/Second-Bold.otb"), before.at("otb/Second-Bold.otb"));
    EXPECT_EQ(fonts_dir_lines(out / "pcf" / "fonts.dir").size(), 12u);
    EXPECT_NE(after.at("otb/Glyphtest-Bold.otb"), before.at("otb/Glyphtest-Bold.otb"));
    // A size of other characters: the family's files are split by coverage,
    // and those of the earlier grouping go.
    run("d20.bdf", {.pixel_size = 20, .codes = {32, 65}});
    const std::map<std::string, std::string> split = tree(out);
    EXPECT_FALSE(split.count("otb/Glyphtest-Bold.otb"));
    EXPECT_TRUE(split.count("otb/Glyphtest-Bold-13-16.otb"));
    EXPECT_TRUE(split.count("otb/Glyphtest-Bold-20.otb"));
    EXPECT_EQ(split.at("otb/Second-Bold.otb"), before.at("otb/Second-Bold.otb"));
}

// Sizes that cover different characters get OpenType files of their own,
// named with their sizes, so that no strike claims a character it lacks.
TEST(FamilyOtb, SizesOfOtherCoverageGetFilesOfTheirOwn) {
    NEED_CONVERTERS();
    Scratch scratch;
    const std::string small =
        scratch.write("s8.bdf", make_font({.pixel_size = 8, .codes = {32, 65, 66}}));
    const std::string large =
        scratch.write("l16.bdf", make_font({.pixel_size = 16, .codes = {32, 65, 0x20AC}}));
    const std::string large2 =
        scratch.write("l24.bdf", make_font({.pixel_size = 24, .codes = {32, 65, 0x20AC}}));
    const fs::path out = scratch.path / "out";
    const RunResult made = family({"-f", "otb", "-o", out.string(), small, large, large2});
    ASSERT_EQ(made.status, 0) << made.err;
    std::set<std::string> files;
    for (const auto& entry : fs::directory_iterator(out / "otb"))
        files.insert(entry.path().filename().string());
    EXPECT_TRUE(files.count("Glyphtest-Regular-8.otb"));
    EXPECT_TRUE(files.count("Glyphtest-BoldOblique-16-24.otb"));
    EXPECT_TRUE(files.count(family::fontconfig_file_name("Glyphtest")));
    EXPECT_EQ(files.size(), 9u);
}

// A family name is data from the font: it cannot leave its folder, nor add
// anything to the user's configuration but its own acceptance.
TEST(FamilyOtb, HostileFamilyNamesStayInTheirPlace) {
    const std::string text = family::fontconfig_file_text("a</string><dir>/etc</dir>\"&'");
    EXPECT_EQ(text.find("<dir>"), std::string::npos);
    EXPECT_NE(text.find("a&lt;/string&gt;&lt;dir&gt;/etc&lt;/dir&gt;&quot;&amp;&apos;"),
              std::string::npos);
    for (const std::string name : {"../../x", "..", "/etc/passwd", "a\nb", ".hidden"}) {
        const std::string file = family::fontconfig_file_name(name);
        EXPECT_EQ(file.find('/'), std::string::npos) << file;
        EXPECT_EQ(file.find('\n'), std::string::npos) << file;
        EXPECT_NE(file.front(), '.') << file;
    }
}

// --install on a stock system: the system's own fontconfig configuration
// (bitmap fonts rejected) with the user's folders, and fc-list finds the
// four styles of every size.
TEST(FamilyInstall, FontconfigListsTheFamilyOnAStockSystem) {
    NEED_CONVERTERS();
    if (!have("fc-list") || !have("fc-cache")) GTEST_SKIP() << "fontconfig is not installed";
    Scratch scratch;
    const fs::path home = scratch.path / "home";
    fs::create_directories(home);
    const std::string env_home = home.string();
    const std::string cache = (home / ".cache").string();
    const EnvSetting settings[] = {{"HOME", env_home.c_str()},
                                   {"XDG_DATA_HOME", nullptr},
                                   {"XDG_CONFIG_HOME", nullptr},
                                   {"XDG_CACHE_HOME", cache.c_str()},
                                   {"FONTCONFIG_FILE", nullptr}};
    const std::string a =
        scratch.write("i12.bdf", make_font({.family = "Instest", .pixel_size = 12}));
    const std::string b =
        scratch.write("i20.bdf", make_font({.family = "Instest", .pixel_size = 20, .seed = 3}));
    const RunResult made = family({"--install", "-o", (scratch.path / "out").string(), a, b});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_NE(made.out.find("Remove with: rm -r"), std::string::npos) << made.out;
    const family::ChildResult listed =
        family::run_child(*family::find_on_path("fc-list", std::getenv("PATH")),
                          {"fc-list", "Instest", "style", "pixelsize"});
    std::set<std::string> lines;
    std::istringstream in(listed.messages);
    for (std::string line; std::getline(in, line);)
        lines.insert(line);
    EXPECT_EQ(lines.size(), 4u) << listed.messages;
    const family::ChildResult mono =
        family::run_child(*family::find_on_path("fc-list", std::getenv("PATH")),
                          {"fc-list", ":spacing=mono", "family"});
    const family::ChildResult cell =
        family::run_child(*family::find_on_path("fc-list", std::getenv("PATH")),
                          {"fc-list", ":spacing=charcell", "family"});
    EXPECT_NE((mono.messages + cell.messages).find("Instest"), std::string::npos)
        << mono.messages << cell.messages;
}

// The glyphs of a BDF font by encoding: box, rows and advance.
std::map<std::int64_t, std::tuple<family::Box, std::vector<std::uint8_t>, std::int64_t>> glyph_set(
    const std::string& text) {
    const family::BdfReadResult read = family::read_bdf_font(text);
    EXPECT_EQ(read.error, "");
    std::map<std::int64_t, std::tuple<family::Box, std::vector<std::uint8_t>, std::int64_t>> set;
    for (const family::BdfGlyph& glyph : read.font.glyphs)
        set[glyph.encoding] = {glyph.box, glyph.rows, glyph.dwidth_x};
    return set;
}

#if GLYPH_TEST_READING
// An installed font given as it is installed, PCF or a multi-strike
// OpenType file: the faces are those of its BDF, glyph for glyph.
TEST(FamilyInputs, InstalledFormatsGiveTheFacesOfTheirBdf) {
    NEED_CONVERTERS();
    if (!have("pcf2bdf")) GTEST_SKIP() << "pcf2bdf is not installed";
    const std::string pcf = "/usr/share/fonts/X11/misc/spleen-6x12.pcf.gz";
    const std::string otb = "/usr/share/fonts/opentype/terminus/terminus-normal.otb";
    if (!fs::exists(pcf) || !fs::exists(otb))
        GTEST_SKIP() << "fonts-spleen or fonts-terminus-otb is not installed";
    Scratch scratch;
    const std::string bdf = (scratch.path / "spleen-6x12.bdf").string();
    ASSERT_TRUE(family::run_child(*family::find_on_path("pcf2bdf", std::getenv("PATH")),
                                  {"pcf2bdf", "-o", bdf, pcf})
                    .ok);
    const fs::path from_pcf = scratch.path / "from-pcf", from_bdf = scratch.path / "from-bdf";
    ASSERT_EQ(family({"-f", "bdf", "-o", from_pcf.string(), pcf}).status, 0);
    ASSERT_EQ(family({"-f", "bdf", "-o", from_bdf.string(), bdf}).status, 0);
    for (const char* face : {"", "-bold", "-oblique", "-bold-oblique"}) {
        const std::string name = std::string("bdf/spleen-6x12") + face + ".bdf";
        EXPECT_EQ(glyph_set(read(from_pcf / name)), glyph_set(read(from_bdf / name))) << name;
    }
    // Two strikes of Terminus: two sizes of one family, each made from its strike.
    const fs::path from_otb = scratch.path / "from-otb";
    const RunResult made = family({"-f", "bdf", "-z", "14,16", "-o", from_otb.string(), otb});
    ASSERT_EQ(made.status, 0) << made.err;
    const RunResult plan = family({"-n", "-f", "bdf", "-z", "16", "-o", "x", otb});
    EXPECT_TRUE(plan.out.find("\nglyphbdf -z 16 " + otb + " > x/bdf/terminus-normal-16.bdf\n") !=
                std::string::npos)
        << plan.out;
    for (int size : {14, 16}) {
        const std::string stem = "terminus-normal-" + std::to_string(size);
        const RunResult strike = run_tool_on(run_glyphbdf, "", {"-z", std::to_string(size), otb});
        ASSERT_EQ(strike.status, 0) << strike.err;
        EXPECT_EQ(read(from_otb / "bdf" / (stem + ".bdf")), strike.out) << stem;
        EXPECT_TRUE(fs::exists(from_otb / "bdf" / (stem + "-bold-oblique.bdf"))) << stem;
    }
}
#endif

#if GLYPH_TEST_FREETYPE
// Fonts of other charsets reach their Unicode code points through the
// system's X encodings: a JIS X 0208 font and a Cyrillic one from Debian's
// packages, glyph for glyph against their BDF.
TEST(FamilyOtb, CharsetsMapToTheirUnicodeCodePoints) {
    NEED_CONVERTERS();
    if (!have("pcf2bdf")) GTEST_SKIP() << "pcf2bdf is not installed";
    struct Case {
        const char* pcf;  // under /usr/share/fonts/X11/misc
        const char* package;
        int pixel_size;
        std::vector<std::pair<long, unsigned long>> codes;  // ENCODING, code point
    };
    const std::vector<Case> cases = {
        {"k20m.pcf.gz",
         "xfonts-kappa20",
         20,
         {{0x3021, 0x4E9C}, {0x2422, 0x3042}, {0x2121, 0x3000}}},
        // Debian ships its Cronyx fonts under ISO10646-1; KOI8-R itself is in
        // the charset map's own table.
        {"koi12x24_c.pcf.gz",
         "xfonts-cronyx-misc",
         24,
         {{0x430, 0x0430}, {0x42A, 0x042A}, {0x41, 0x41}}},
    };
    Scratch scratch;
    int checked = 0;
    for (const Case& c : cases) {
        const std::string pcf = std::string("/usr/share/fonts/X11/misc/") + c.pcf;
        if (!fs::exists(pcf)) {
            ADD_FAILURE() << pcf << " is missing: apt-get install " << c.package;
            continue;
        }
        const std::string bdf = (scratch.path / (std::string(c.pcf) + ".bdf")).string();
        ASSERT_TRUE(family::run_child(*family::find_on_path("pcf2bdf", std::getenv("PATH")),
                                      {"pcf2bdf", "-o", bdf, pcf})
                        .ok);
        const fs::path out = scratch.path / c.pcf;
        const RunResult made = family({"-f", "otb", "-o", out.string(), bdf});
        ASSERT_EQ(made.status, 0) << made.err;
        fs::path otb;
        for (const auto& entry : fs::directory_iterator(out / "otb"))
            if (entry.path().filename().string().find("-Regular") != std::string::npos)
                otb = entry.path();
        const FaceInk read = read_ink(otb.string(), c.pixel_size);
        ASSERT_EQ(read.error, "");
        const family::BdfReadResult font = family::read_bdf_font(read_file_text(bdf));
        ASSERT_EQ(font.error, "");
        for (const auto& [encoding, code_point] : c.codes) {
            SCOPED_TRACE(std::string(c.pcf) + " " + std::to_string(encoding));
            const auto glyph = std::find_if(font.font.glyphs.begin(), font.font.glyphs.end(),
                                            [&](const auto& g) { return g.encoding == encoding; });
            ASSERT_NE(glyph, font.font.glyphs.end());
            Ink want{glyph->dwidth_x, {}};
            for (std::int64_t row = 0; row < glyph->box.height; ++row)
                for (std::int64_t column = 0; column < glyph->box.width; ++column)
                    if (glyph->pixel(column, row))
                        want.pixels.emplace_back(glyph->box.x + column,
                                                 glyph->box.y + glyph->box.height - row);
            ASSERT_TRUE(read.glyphs.count(code_point));
            EXPECT_EQ(read.glyphs.at(code_point), want);
            ++checked;
        }
    }
    EXPECT_EQ(checked, 6);
}
#endif

}  // namespace
}  // namespace glyph::test
