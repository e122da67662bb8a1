#include "font_survey.hpp"

namespace glyph::family {
namespace {

// Field `index` of an XLFD name ("-Foundry-Family-..."), or empty.
std::string xlfd_field(std::string_view name, int index) {
    for (int i = 0; i <= index; ++i) {
        const std::size_t dash = name.find('-');
        if (dash == std::string_view::npos) return {};
        name.remove_prefix(dash + 1);
    }
    return std::string(name.substr(0, name.find('-')));
}

Spacing spacing_of(const BdfFont& font) {
    const std::string spacing = font.text("SPACING");
    if (spacing == "C" || spacing == "c") return Spacing::cell;
    if (spacing == "M" || spacing == "m") return Spacing::monospaced;
    if (!spacing.empty()) return Spacing::proportional;
    // Without the property, the advances tell.
    for (const BdfGlyph& glyph : font.glyphs)
        if (glyph.dwidth_x != font.glyphs.front().dwidth_x) return Spacing::proportional;
    return Spacing::monospaced;
}

}  // namespace

FontSurvey survey_font(const BdfFont& font) {
    FontSurvey survey;
    survey.family = font.text("FAMILY_NAME");
    survey.registry = font.text("CHARSET_REGISTRY");
    survey.encoding = font.text("CHARSET_ENCODING");
    if (survey.family.empty()) survey.family = xlfd_field(font.name, 1);
    if (survey.registry.empty()) survey.registry = xlfd_field(font.name, 12);
    if (survey.encoding.empty()) survey.encoding = xlfd_field(font.name, 13);
    survey.pixel_size = font.integer("PIXEL_SIZE").value_or(font.font_box.height);
    survey.font_box = font.font_box;
    survey.spacing = spacing_of(font);
    for (const BdfGlyph& glyph : font.glyphs) {
        const Box& box = glyph.box;
        if (box.width > 0 && box.height > 0 && (box.x < 1 || box.x + box.width > glyph.dwidth_x))
            survey.widened_boxes_fit = false;
    }
    survey.glyphs = static_cast<std::int64_t>(font.glyphs.size());
    return survey;
}

SurveyResult survey_font(std::string_view text) {
    BdfReadResult read = read_bdf_font(text);
    if (!read.error.empty()) return {{}, std::move(read.error)};
    return {survey_font(read.font), {}};
}

std::string charset(const FontSurvey& font) {
    return font.registry + "-" + font.encoding;
}

}  // namespace glyph::family
