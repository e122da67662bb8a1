#include "otb_writer.hpp"

#include <algorithm>
#include <stdexcept>

#include "bdf_table.hpp"
#include "cmap_table.hpp"
#include "ebdt_eblc.hpp"
#include "metrics_tables.hpp"
#include "name_table.hpp"
#include "sfnt_file.hpp"
#include "strike_images.hpp"

namespace glyph::otb {
namespace {

constexpr char32_t LAST_CODE_POINT = 0x10FFFF;
constexpr std::size_t MAX_GLYPHS = 0xFFFF;  // glyph ids are 16-bit, .notdef included

// What makes a strike's character list unusable, naming the glyph at fault.
std::string check_chars(const OtbStrike& strike) {
    const family::BdfFont& font = *strike.font;
    for (std::size_t i = 0; i < strike.chars.size(); ++i) {
        const auto [code, index] = strike.chars[i];
        if (index >= font.glyphs.size()) return font.name + ": a character refers to no glyph";
        const std::string label = glyph_label(font, font.glyphs[index], code);
        if (code > LAST_CODE_POINT) return label + ": beyond U+10FFFF";
        if (i > 0 && code <= strike.chars[i - 1].first)
            return label + ": characters out of order or listed twice";
    }
    if (strike.chars.empty()) return font.name + ": no characters";
    if (strike.chars.size() + 1 > MAX_GLYPHS) return font.name + ": more than 65534 characters";
    return {};
}

// Every strike of a file answers for the same characters, so that none
// claims a glyph it lacks.
std::string check_same_chars(const std::vector<OtbStrike>& strikes) {
    const OtbStrike& first = strikes.front();
    for (const OtbStrike& other : strikes) {
        const std::size_t n = std::min(first.chars.size(), other.chars.size());
        std::size_t i = 0;
        while (i < n && first.chars[i].first == other.chars[i].first)
            ++i;
        if (i == first.chars.size() && i == other.chars.size()) continue;
        const OtbStrike& longer =
            i < other.chars.size() &&
                    (i == first.chars.size() || other.chars[i].first < first.chars[i].first)
                ? other
                : first;
        const OtbStrike& lacking = &longer == &first ? other : first;
        const auto [code, index] = longer.chars[i];
        return glyph_label(*longer.font, longer.font->glyphs[index], code) + " is not in " +
               lacking.font->name + ": the sizes of one file must have the same characters";
    }
    return {};
}

std::string check_input(const std::vector<OtbStrike>& strikes, const OtbStyle& style) {
    if (strikes.empty()) return style.family + ": no strikes to write";
    if (style.family.empty()) return "a face without a family name";
    if (style.slanted && style.rows_per_step <= 0)
        return style.family + ": a slanted face without its slope";
    for (const OtbStrike& strike : strikes) {
        if (strike.font == nullptr) return style.family + ": a strike without a font";
        if (std::string why = check_chars(strike); !why.empty()) return why;
    }
    return check_same_chars(strikes);
}

// Clients choose a strike, and FreeType finds its BDF properties, by the
// pixel size alone.
std::string check_sizes(const std::vector<StrikeImages>& strikes) {
    for (std::size_t i = 0; i < strikes.size(); ++i)
        for (std::size_t k = 0; k < i; ++k)
            if (strikes[i].ppem == strikes[k].ppem)
                return strikes[k].font->name + " and " + strikes[i].font->name + " are both " +
                       std::to_string(strikes[i].ppem) +
                       " pixels: a file holds one strike of each size";
    return {};
}

std::vector<std::uint8_t> build(const std::vector<StrikeImages>& strikes,
                                const std::vector<OtbStrike>& input, const OtbStyle& style) {
    std::vector<char32_t> codes;
    codes.reserve(input.front().chars.size());
    for (const auto& [code, index] : input.front().chars)
        codes.push_back(code);
    const Design design = design_of(strikes, codes);
    BitmapTables bitmaps = bitmap_tables(strikes, style.slanted ? style.rows_per_step : 0);
    std::vector<Table> tables;
    tables.push_back({"BDF ", bdf_table(strikes)});
    tables.push_back({"EBDT", std::move(bitmaps.ebdt)});
    tables.push_back({"EBLC", std::move(bitmaps.eblc)});
    tables.push_back({"OS/2", os2_table(design, style)});
    tables.push_back({"cmap", cmap_table(codes)});
    tables.push_back({"head", head_table(design, style)});
    tables.push_back({"hhea", hhea_table(design, style)});
    tables.push_back({"hmtx", hmtx_table(design)});
    tables.push_back({"maxp", maxp_table(design)});
    tables.push_back(
        {"name", name_table(face_names(style, strikes.front().font->text("COPYRIGHT")))});
    tables.push_back({"post", post_table(design, style)});
    return sfnt_file(std::move(tables));
}

}  // namespace

OtbResult write_otb(const std::vector<OtbStrike>& strikes, const OtbStyle& style) {
    OtbResult result;
    result.error = check_input(strikes, style);
    if (!result.error.empty()) return result;
    std::vector<StrikeImages> images;
    images.reserve(strikes.size());
    for (const OtbStrike& strike : strikes) {
        StrikeResult trimmed = trim_strike(strike);
        if (!trimmed.error.empty()) {
            result.error = std::move(trimmed.error);
            return result;
        }
        images.push_back(std::move(trimmed.strike));
    }
    result.error = check_sizes(images);
    if (!result.error.empty()) return result;
    try {
        result.bytes = build(images, strikes, style);
    } catch (const std::range_error& e) {
        // A table larger than its offsets reach, or a name longer than a
        // name record holds: the file cannot be written in this format.
        result.error =
            strikes.front().font->name + ": too large for an OpenType file (" + e.what() + ")";
    }
    return result;
}

}  // namespace glyph::otb
