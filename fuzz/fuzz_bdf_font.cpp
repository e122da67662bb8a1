// Fuzzes the whole-font reader, the survey made of what it reads and the
// charset map: any bytes as a font's text. A font that is read must hold
// what it promises: as many glyphs as CHARS says, each with its box's rows,
// no bit set past a row's width.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bdf_font.hpp"
#include "charset_map.hpp"
#include "font_survey.hpp"
#include "fuzz_report.hpp"

namespace {

std::string broken_property(const glyph::family::BdfFont& font) {
    if (font.glyphs.size() != static_cast<std::size_t>(font.chars))
        return "the glyph count differs from CHARS";
    for (const glyph::family::BdfGlyph& glyph : font.glyphs) {
        const glyph::family::Box& box = glyph.box;
        if (box.width < 0 || box.height < 0) return "a negative box in glyph " + glyph.name;
        if (glyph.row_bytes != static_cast<std::size_t>((box.width + 7) / 8))
            return "the row size of glyph " + glyph.name;
        if (glyph.rows.size() != glyph.row_bytes * static_cast<std::size_t>(box.height))
            return "the rows of glyph " + glyph.name;
        if (box.width % 8 == 0) continue;
        const unsigned past = 0xffu >> (box.width % 8);
        for (std::size_t row = 0; row < static_cast<std::size_t>(box.height); ++row)
            if (glyph.rows[(row + 1) * glyph.row_bytes - 1] & past)
                return "a bit past the width in glyph " + glyph.name;
    }
    return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const glyph::family::BdfReadResult read = glyph::family::read_bdf_font(text);
    if (!read.error.empty()) return 0;
    std::string why = broken_property(read.font);
    const glyph::family::FontSurvey survey = glyph::family::survey_font(read.font);
    if (why.empty() && survey.glyphs != read.font.chars) why = "the survey's glyph count";
    if (const auto map = glyph::family::CharsetMap::find(survey.registry, survey.encoding)) {
        for (const glyph::family::BdfGlyph& glyph : read.font.glyphs) {
            const std::optional<char32_t> unicode = map->unicode(glyph.encoding);
            if (why.empty() && unicode &&
                (*unicode > 0x10FFFF || (*unicode >= 0xD800 && *unicode <= 0xDFFF)))
                why = "glyph " + glyph.name + " maps to no Unicode scalar value";
        }
    }
    glyph::fuzz::require(why);
    return 0;
}
