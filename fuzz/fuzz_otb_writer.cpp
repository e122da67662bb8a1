// Fuzzes the OpenType bitmap writer: any bytes as a BDF font, read whole and
// surveyed as glyphfamily does, its glyphs mapped by their encodings as an
// ISO10646 font's are, written as one face (its style picked by the input's
// length) of one or two strikes, and read back through FreeType: every glyph
// of every strike must come back with the BDF's ink, offsets and advance, or
// the writer must have refused the font with a message and no bytes.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "bdf_font.hpp"
#include "font_survey.hpp"
#include "fuzz_report.hpp"
#include "memory.hpp"
#include "otb_readback.hpp"
#include "otb_writer.hpp"

namespace {

// Glyphs by encoding, the first of any encoding listed twice.
glyph::otb::OtbStrike identity_strike(const glyph::family::BdfFont& font) {
    glyph::otb::OtbStrike strike;
    strike.font = &font;
    for (std::size_t i = 0; i < font.glyphs.size(); ++i)
        if (font.glyphs[i].encoding >= 0 && font.glyphs[i].encoding <= 0x10FFFF)
            strike.chars.emplace_back(static_cast<char32_t>(font.glyphs[i].encoding), i);
    std::stable_sort(strike.chars.begin(), strike.chars.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    strike.chars.erase(std::unique(strike.chars.begin(), strike.chars.end(),
                                   [](const auto& a, const auto& b) { return a.first == b.first; }),
                       strike.chars.end());
    return strike;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = glyph::fuzz::capped_input(data, size);
    const glyph::family::BdfReadResult read = glyph::family::read_bdf_font(text);
    if (!read.error.empty()) return 0;
    const glyph::family::SurveyResult survey = glyph::family::survey_font(text);
    if (!survey.error.empty()) return 0;

    glyph::otb::OtbStyle style;
    style.family = survey.font.family;
    style.spacing = survey.font.spacing;
    style.bold = size & 1;
    style.slanted = size & 2;
    style.rows_per_step = static_cast<std::int64_t>(1 + size % 16);
    style.date = static_cast<std::int64_t>(size) * 86400;
    std::vector<glyph::otb::OtbStrike> strikes = {identity_strike(read.font)};
    // A second strike: the same glyphs called a pixel larger.
    glyph::family::BdfFont larger = read.font;
    if (size & 4) {
        const auto pixel_size = read.font.integer("PIXEL_SIZE");
        const std::int64_t ppem =
            pixel_size && *pixel_size > 0 ? *pixel_size : read.font.font_box.height;
        std::erase_if(larger.properties, [](const auto& p) { return p.name == "PIXEL_SIZE"; });
        larger.properties.push_back({"PIXEL_SIZE", std::to_string(ppem + 1), false});
        strikes.push_back(identity_strike(larger));
    }

    const glyph::otb::OtbResult result = glyph::otb::write_otb(strikes, style);
    if (!result.error.empty()) {
        if (!result.bytes.empty())
            glyph::fuzz::require("bytes written with an error: " + result.error);
        return 0;
    }
    if (result.bytes.empty()) glyph::fuzz::require("no bytes and no error");
    glyph::fuzz::require(glyph::test::compare_with_freetype(result.bytes, strikes));
    return 0;
}
