// The charset map against characters whose Unicode values are known, and
// against the real fonts of other charsets than Unicode's.
#include "charset_map.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "bdf_font.hpp"
#include "file_io.hpp"
#include "font_survey.hpp"

namespace glyph::test {
namespace {

namespace fs = std::filesystem;
using family::CharsetMap;

TEST(CharsetMap, MapsCodesOfEveryKindOfCharset) {
    struct Case {
        const char* registry;
        const char* encoding;
        std::int64_t code;
        std::optional<char32_t> unicode;
    };
    const Case cases[] = {
        {"ISO10646", "1", 0x4E9C, U'\u4E9C'},
        {"ISO10646", "1", 0x10FFFF, U'\U0010FFFF'},
        {"ISO10646", "1", 0x110000, std::nullopt},
        {"ISO10646", "1", 0xD800, std::nullopt},
        {"ISO10646", "1", -1, std::nullopt},
        {"iso8859", "1", 0xE9, U'\u00E9'},
        {"ISO8859", "1", 0x100, std::nullopt},
        {"ISO8859", "2", 0x41, U'A'},
        {"ISO8859", "2", 0xA1, U'\u0104'},
        {"ISO8859", "2", 0x1A1, std::nullopt},
        {"KOI8", "R", 0xC1, U'\u0430'},
        // The two-byte charsets: row * 256 + column, both from 0x21.
        {"JISX0208.1983", "0", 0x3021, U'\u4E9C'},
        {"JISX0208.1983", "0", 0x2121, U'\u3000'},
        {"JISX0208.1983", "0", 0x2F21, std::nullopt},  // a row the standard leaves empty
        {"JISX0208.1983", "0", 0xB0A1, std::nullopt},  // GR form: no font's code
        {"KSC5601.1987", "0", 0x3021, U'\uAC00'},
        {"GB2312.1980", "0", 0x3021, U'\u554A'},
        {"Adobe", "FontSpecific", 0x41, std::nullopt},
        {"FontSpecific", "0", 0x41, std::nullopt},
        {"", "", 0x41, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.registry) + "-" + c.encoding + " " + std::to_string(c.code));
        const std::optional<CharsetMap> map = CharsetMap::find(c.registry, c.encoding);
        const bool known = std::string(c.registry).find("FontSpecific") == std::string::npos &&
                           std::string(c.encoding) != "FontSpecific" && *c.registry;
        ASSERT_EQ(map.has_value(), known);
        if (map) {
            EXPECT_EQ(map->unicode(c.code), c.unicode);
        }
    }
}

// The real fonts of other charsets: their glyphs map to distinct code points,
// all but those a maker added beyond the standard (mplus_j12r's row 13 of
// JIS X 0208), and a font whose charset has no map gets none.
TEST(CharsetMap, MapsTheGlyphsOfRealFonts) {
    const char* home = std::getenv("HOME");
    const fs::path cache = fs::path(home ? home : "") / ".cache/glyphfilters-fonts";
    if (!fs::is_directory(cache))
        GTEST_SKIP() << "no real fonts: run tests/integration/fetch_fonts.sh";
    struct Case {
        const char* file;
        bool mapped;
        std::size_t unmapped;
        std::int64_t code;
        char32_t unicode;
    };
    const Case cases[] = {
        {"k14.bdf", true, 0, 0x3021, U'\u4E9C'},
        {"jiskan24.bdf", true, 0, 0x2422, U'\u3042'},
        {"batang24b.bdf", true, 0, 0x3021, U'\uAC00'},
        {"mplus_j12r.bdf", true, 84, 0x2422, U'\u3042'},
        {"12x24.bdf", true, 0, 0xE9, U'\u00E9'},
        {"cursor.bdf", false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::string text;
        if (!family::read_file((cache / c.file).string(), text).empty()) {
            ADD_FAILURE() << "missing from the cache";
            continue;
        }
        const family::BdfReadResult read = family::read_bdf_font(text);
        ASSERT_EQ(read.error, "");
        const family::FontSurvey survey = family::survey_font(read.font);
        const std::optional<CharsetMap> map = CharsetMap::find(survey.registry, survey.encoding);
        ASSERT_EQ(map.has_value(), c.mapped);
        if (!map) continue;
        std::set<char32_t> seen;
        std::size_t unmapped = 0;
        bool found = false;
        for (const family::BdfGlyph& glyph : read.font.glyphs) {
            const std::optional<char32_t> unicode = map->unicode(glyph.encoding);
            if (!unicode) {
                ++unmapped;
                continue;
            }
            EXPECT_TRUE(seen.insert(*unicode).second) << glyph.name << " maps to a taken code";
            if (glyph.encoding == c.code) found = *unicode == c.unicode;
        }
        EXPECT_TRUE(found) << "code " << c.code;
        EXPECT_EQ(unmapped, c.unmapped);
    }
}

}  // namespace
}  // namespace glyph::test
