// BDF fonts converted by the X font tools and read back by glyphbdf: what
// comes back must be what went in, glyph for glyph, as FreeType reads both.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "converters.hpp"
#include "font_to_bdf.hpp"
#include "ft_glyphs.hpp"
#ifdef GLYPH_TEST_OTB_WRITER
#include "bdf_font.hpp"
#include "ft_ink.hpp"
#include "otb_writer.hpp"
#endif

namespace glyph::test {
namespace {

namespace fs = std::filesystem;

struct Tally {
    std::size_t fonts = 0, glyphs = 0, differing = 0;
};

// Compares the source with glyphbdf's reading of its converted form, and
// the standard properties that the converted file keeps (`kept`).
void compare(const fs::path& source, const FtFont& want, const FtFont& got, const FtFont& kept,
             Tally& tally) {
    SCOPED_TRACE(source.filename().string());
    ASSERT_EQ(want.error, "");
    ASSERT_EQ(got.error, "");
    std::vector<unsigned long> missing, extra;
    for (const auto& [code, glyph] : want.glyphs)
        if (!got.glyphs.count(code)) missing.push_back(code);
    for (const auto& [code, glyph] : got.glyphs)
        if (!want.glyphs.count(code)) extra.push_back(code);
    EXPECT_TRUE(missing.empty()) << missing.size() << " codes lost, the first " << missing[0];
    EXPECT_TRUE(extra.empty()) << extra.size() << " codes added, the first " << extra[0];
    std::size_t differing = 0;
    for (const auto& [code, glyph] : want.glyphs) {
        const auto it = got.glyphs.find(code);
        if (it == got.glyphs.end()) continue;
        ++tally.glyphs;
        if (it->second == glyph) continue;
        if (differing++ == 0)
            ADD_FAILURE() << "code " << code << ": box " << glyph.width << "x" << glyph.rows
                          << " at " << glyph.left << "," << glyph.top << " advance "
                          << glyph.advance << " came back " << it->second.width << "x"
                          << it->second.rows << " at " << it->second.left << "," << it->second.top
                          << " advance " << it->second.advance;
    }
    tally.differing += differing;
    ++tally.fonts;
    for (const auto& [name, value] : kept.properties) {
        const auto source_value = want.properties.find(name);
        if (source_value == want.properties.end()) continue;  // made by the converter
        const auto it = got.properties.find(name);
        if (it == got.properties.end()) {
            ADD_FAILURE() << name << " lost";
        } else {
            EXPECT_EQ(it->second, source_value->second) << name;
        }
    }
}

TEST(RoundTrip, RealFontsThroughPcfComeBackGlyphForGlyph) {
    const fs::path cache = real_font_cache();
    if (!fs::is_directory(cache))
        GTEST_SKIP() << "no real fonts: run tests/integration/fetch_fonts.sh";
    if (!on_path("bdftopcf") || !on_path("gzip")) GTEST_SKIP() << "bdftopcf or gzip missing";
    std::vector<fs::path> fonts;
    for (const fs::directory_entry& entry : fs::directory_iterator(cache))
        if (entry.path().extension() == ".bdf") fonts.push_back(entry.path());
    std::sort(fonts.begin(), fonts.end());
    if (fonts.empty()) GTEST_SKIP() << "no real fonts in " << cache;
    ScratchDir dir;
    Tally tally;
    for (const fs::path& font : fonts) {
        // Plain and compressed PCF in turn: the installed fonts are the latter.
        const bool compressed = tally.fonts % 2 == 0;
        const fs::path pcf =
            dir.path() / (font.stem().string() + (compressed ? ".pcf.gz" : ".pcf"));
        const fs::path back = dir.path() / (font.stem().string() + ".bdf");
        ASSERT_TRUE(shell("bdftopcf " + quoted(font) + (compressed ? " | gzip -n > " : " > ") +
                          quoted(pcf)));
        write_text(back, reading::font_to_bdf(pcf.string(), std::nullopt));
        compare(font, read_ft_font(font.string()), read_ft_font(back.string()),
                read_ft_font(pcf.string()), tally);
    }
    std::printf("round trip through PCF: %zu fonts, %zu glyphs, %zu differing\n", tally.fonts,
                tally.glyphs, tally.differing);
    EXPECT_EQ(tally.differing, 0u);
}

// The project's sample font through the X font tools' OpenType bitmap file,
// which keeps no X11 properties: the font glyphbdf makes of it is one that
// bdftopcf takes, with the same ink and advance for every character.
TEST(RoundTrip, OpenTypeWithoutPropertiesGivesAFontTheToolsTake) {
    if (!on_path("fonttosfnt") || !on_path("bdftopcf")) GTEST_SKIP() << "xfonts-utils missing";
    ScratchDir dir;
    const fs::path otb = dir.path() / "sample.otb", back = dir.path() / "sample.bdf";
    ASSERT_TRUE(shell("fonttosfnt -b -c -g 2 -m 2 -o " + quoted(otb) + " " + quoted(SAMPLE_FONT)));
    write_text(back, reading::font_to_bdf(otb.string(), std::nullopt));
    ASSERT_TRUE(shell("bdftopcf -o /dev/null " + quoted(back)));
    const FtFont want = read_ft_font(otb.string()), got = read_ft_font(back.string());
    ASSERT_EQ(got.error, "");
    EXPECT_EQ(got.glyphs.size(), want.glyphs.size());
    for (const auto& [code, glyph] : want.glyphs) {
        const auto it = got.glyphs.find(code);
        ASSERT_TRUE(it != got.glyphs.end()) << code;
        EXPECT_EQ(it->second, glyph) << code;
    }
    const std::string family = read_ft_font(SAMPLE_FONT).properties.at("FAMILY_NAME");
    EXPECT_EQ(got.properties.at("FAMILY_NAME"), family);
    EXPECT_EQ(got.properties.at("CHARSET_REGISTRY"), "\"ISO10646\"");
    for (const char* name : {"FONT_ASCENT", "FONT_DESCENT", "PIXEL_SIZE", "SPACING"})
        EXPECT_TRUE(got.properties.count(name)) << name;
}

// The project's own OpenType writer keeps the X11 properties in its file:
// each real Unicode font written by it and read back by glyphbdf must give
// the same ink in font coordinates and the same advance for every code, and
// the properties the file keeps. Built once the writer's library exists
// (tests/reading/CMakeLists.txt links glyph_otb when there is such a target).
#ifdef GLYPH_TEST_OTB_WRITER
TEST(RoundTrip, RealFontsThroughOpenTypeKeepInkAndAdvance) {
    const fs::path cache = real_font_cache();
    if (!fs::is_directory(cache))
        GTEST_SKIP() << "no real fonts: run tests/integration/fetch_fonts.sh";
    std::vector<fs::path> fonts;
    for (const fs::directory_entry& entry : fs::directory_iterator(cache))
        if (entry.path().extension() == ".bdf") fonts.push_back(entry.path());
    std::sort(fonts.begin(), fonts.end());
    ScratchDir dir;
    Tally tally;
    for (const fs::path& font : fonts) {
        SCOPED_TRACE(font.filename().string());
        const family::BdfReadResult read = family::read_bdf_font(read_text(font));
        ASSERT_EQ(read.error, "");
        const family::BdfFont& bdf = read.font;
        // Other charsets reach Unicode through the system's maps, which is
        // glyphfamily's part.
        if (bdf.text("CHARSET_REGISTRY") != "ISO10646") continue;
        otb::OtbStrike strike{&bdf, {}};
        for (std::size_t i = 0; i < bdf.glyphs.size(); ++i)
            if (bdf.glyphs[i].encoding >= 0)
                strike.chars.emplace_back(static_cast<char32_t>(bdf.glyphs[i].encoding), i);
        std::sort(strike.chars.begin(), strike.chars.end());
        strike.chars.erase(
            std::unique(strike.chars.begin(), strike.chars.end(),
                        [](const auto& a, const auto& b) { return a.first == b.first; }),
            strike.chars.end());
        otb::OtbStyle style;
        style.family = bdf.text("FAMILY_NAME");
        const otb::OtbResult written = otb::write_otb({strike}, style);
        ASSERT_EQ(written.error, "");
        const fs::path otb_file = dir.path() / (font.stem().string() + ".otb");
        const fs::path back = dir.path() / (font.stem().string() + ".bdf");
        write_text(otb_file, std::string(written.bytes.begin(), written.bytes.end()));
        write_text(back, reading::font_to_bdf(otb_file.string(), std::nullopt));
        const int pixels = static_cast<int>(bdf.integer("PIXEL_SIZE").value_or(0));
        const FaceInk want = read_ink(font.string(), pixels), got = read_ink(back.string(), pixels);
        ASSERT_EQ(want.error, "");
        ASSERT_EQ(got.error, "");
        std::size_t differing = 0;
        for (const auto& [code, ink] : want.glyphs) {
            const auto it = got.glyphs.find(code);
            ++tally.glyphs;
            if (it != got.glyphs.end() && it->second == ink) continue;
            if (differing++ == 0) ADD_FAILURE() << "code " << code << " differs or is missing";
        }
        EXPECT_EQ(got.glyphs.size(), want.glyphs.size());
        tally.differing += differing;
        ++tally.fonts;
        const FtFont kept = read_ft_font(otb_file.string()),
                     got_properties = read_ft_font(back.string());
        for (const auto& [name, value] : kept.properties)
            EXPECT_EQ(
                got_properties.properties.count(name) ? got_properties.properties.at(name) : "",
                value)
                << name;
    }
    std::printf("round trip through OpenType: %zu fonts, %zu glyphs, %zu differing\n", tally.fonts,
                tally.glyphs, tally.differing);
    EXPECT_EQ(tally.differing, 0u);
}
#endif

}  // namespace
}  // namespace glyph::test
