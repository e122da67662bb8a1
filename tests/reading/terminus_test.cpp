// Debian's Terminus in its two installed forms, OpenType bitmap files of nine
// strikes and PCF files of one size each: glyphbdf's reading of every strike
// must have the same ink and advance as the PCF of that size and weight, as
// pcf2bdf reads it, for every code the PCF has.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "converters.hpp"
#include "font_to_bdf.hpp"
#include "ft_ink.hpp"

namespace glyph::test {
namespace {

namespace fs = std::filesystem;

TEST(Terminus, OpenTypeStrikesMatchThePcfFiles) {
    const fs::path otb_dir = "/usr/share/fonts/opentype/terminus";
    const fs::path pcf_dir = "/usr/share/fonts/X11/misc";
    if (!fs::is_directory(otb_dir)) GTEST_SKIP() << "fonts-terminus-otb is not installed";
    if (!fs::exists(pcf_dir / "ter-u16n_unicode.pcf.gz"))
        GTEST_SKIP() << "xfonts-terminus is not installed";
    if (!on_path("pcf2bdf")) GTEST_SKIP() << "pcf2bdf is not installed";
    ScratchDir dir;
    std::size_t strikes = 0, codes = 0;
    for (const auto& [style, weight] : {std::pair{"normal", 'n'}, std::pair{"bold", 'b'}}) {
        const fs::path otb = otb_dir / ("terminus-" + std::string(style) + ".otb");
        for (const reading::StrikeInfo& strike : reading::list_strikes(otb.string())) {
            const std::string size = std::to_string(strike.pixel_size);
            const fs::path pcf = pcf_dir / ("ter-u" + size + weight + "_unicode.pcf.gz");
            if (!fs::exists(pcf)) continue;
            SCOPED_TRACE(otb.filename().string() + " at " + size + " against " +
                         pcf.filename().string());
            const fs::path want_bdf = dir.path() / "want.bdf", got_bdf = dir.path() / "got.bdf";
            ASSERT_TRUE(shell("pcf2bdf " + quoted(pcf) + " > " + quoted(want_bdf)));
            write_text(got_bdf, reading::font_to_bdf(otb.string(), strike.pixel_size));
            const FaceInk want = read_ink(want_bdf.string(), strike.pixel_size);
            const FaceInk got = read_ink(got_bdf.string(), strike.pixel_size);
            ASSERT_EQ(want.error, "");
            ASSERT_EQ(got.error, "");
            std::size_t differing = 0;
            for (const auto& [code, ink] : want.glyphs) {
                const auto it = got.glyphs.find(code);
                if (it != got.glyphs.end() && it->second == ink) continue;
                if (differing++ == 0)
                    ADD_FAILURE() << "code " << code
                                  << (it == got.glyphs.end() ? " missing" : " differs");
            }
            EXPECT_EQ(differing, 0u);
            ++strikes;
            codes += want.glyphs.size();
        }
    }
    std::printf("Terminus: %zu strikes, %zu codes compared\n", strikes, codes);
    EXPECT_GT(strikes, 0u);
}

}  // namespace
}  // namespace glyph::test
