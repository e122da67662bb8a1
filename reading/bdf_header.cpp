#include "bdf_header.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BDF_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <optional>
#include <string_view>

#include "sfnt_names.hpp"

namespace glyph::reading {

// The standard properties in the order fonts conventionally list them: the
// fields of an X11 font name, then the metrics that BDF needs, then the rest.
constexpr std::string_view STANDARD_PROPERTIES[] = {
    "FONTNAME_REGISTRY",
    "FOUNDRY",
    "FAMILY_NAME",
    "WEIGHT_NAME",
    "SLANT",
    "SETWIDTH_NAME",
    "ADD_STYLE_NAME",
    "PIXEL_SIZE",
    "POINT_SIZE",
    "RESOLUTION_X",
    "RESOLUTION_Y",
    "SPACING",
    "AVERAGE_WIDTH",
    "CHARSET_REGISTRY",
    "CHARSET_ENCODING",
    "FONT_ASCENT",
    "FONT_DESCENT",
    "DEFAULT_CHAR",
    "MIN_SPACE",
    "NORM_SPACE",
    "MAX_SPACE",
    "END_SPACE",
    "AVG_CAPITAL_WIDTH",
    "AVG_LOWERCASE_WIDTH",
    "QUAD_WIDTH",
    "FIGURE_WIDTH",
    "SUPERSCRIPT_X",
    "SUPERSCRIPT_Y",
    "SUBSCRIPT_X",
    "SUBSCRIPT_Y",
    "SUPERSCRIPT_SIZE",
    "SUBSCRIPT_SIZE",
    "SMALL_CAP_SIZE",
    "UNDERLINE_POSITION",
    "UNDERLINE_THICKNESS",
    "STRIKEOUT_ASCENT",
    "STRIKEOUT_DESCENT",
    "ITALIC_ANGLE",
    "CAP_HEIGHT",
    "X_HEIGHT",
    "RELATIVE_SETWIDTH",
    "RELATIVE_WEIGHT",
    "WEIGHT",
    "RESOLUTION",
    "FONT",
    "FACE_NAME",
    "FULL_NAME",
    "COPYRIGHT",
    "NOTICE",
    "DESTINATION",
    "FONT_TYPE",
    "FONT_VERSION",
    "RASTERIZER_NAME",
    "RASTERIZER_VERSION",
    "RAW_ASCENT",
    "RAW_DESCENT",
    "AXIS_NAMES",
    "AXIS_LIMITS",
    "AXIS_TYPES",
};

namespace {

// The fields of an X11 font name, in order.
constexpr std::string_view XLFD_FIELDS[] = {
    "FOUNDRY",          "FAMILY_NAME",      "WEIGHT_NAME", "SLANT",
    "SETWIDTH_NAME",    "ADD_STYLE_NAME",   "PIXEL_SIZE",  "POINT_SIZE",
    "RESOLUTION_X",     "RESOLUTION_Y",     "SPACING",     "AVERAGE_WIDTH",
    "CHARSET_REGISTRY", "CHARSET_ENCODING",
};

// The BDF driver hands strings back as the file writes them, a quote
// doubled; the others as the value.
std::string undoubled(const char* text, bool doubled) {
    std::string value = text ? text : "";
    if (!doubled) return value;
    std::string plain;
    for (std::size_t i = 0; i < value.size(); ++i) {
        plain += value[i];
        if (value[i] == '"' && i + 1 < value.size() && value[i + 1] == '"') ++i;
    }
    return plain;
}

std::optional<Property> kept_property(FT_Face face, std::string_view name, bool doubled) {
    BDF_PropertyRec record;
    if (FT_Get_BDF_Property(face, std::string(name).c_str(), &record) != 0) return std::nullopt;
    Property p;
    p.name = name;
    switch (record.type) {
        case BDF_PROPERTY_TYPE_ATOM:
            p.quoted = true;
            p.text = undoubled(record.u.atom, doubled);
            return p;
        case BDF_PROPERTY_TYPE_INTEGER:
            p.number = record.u.integer;
            return p;
        case BDF_PROPERTY_TYPE_CARDINAL:
            p.number = record.u.cardinal;
            return p;
        default:
            return std::nullopt;
    }
}

const Property* find(const std::vector<Property>& properties, std::string_view name) {
    for (const Property& p : properties)
        if (p.name == name) return &p;
    return nullptr;
}

std::optional<std::int64_t> positive(const std::vector<Property>& properties,
                                     std::string_view name) {
    const Property* p = find(properties, name);
    // Past this no real font lies, and products of two stay within 64 bits.
    constexpr std::int64_t LIMIT = std::int64_t{1} << 24;
    if (!p || p->quoted || p->number <= 0 || p->number > LIMIT) return std::nullopt;
    return p->number;
}

Property text_property(std::string_view name, std::string text) {
    return Property{std::string(name), true, std::move(text), 0};
}

Property number_property(std::string_view name, std::int64_t number) {
    return Property{std::string(name), false, {}, number};
}

// Inserts `p` where the standard order puts it.
void insert_in_order(std::vector<Property>& properties, Property p) {
    const auto rank = [](std::string_view name) {
        return std::find(std::begin(STANDARD_PROPERTIES), std::end(STANDARD_PROPERTIES), name) -
               std::begin(STANDARD_PROPERTIES);
    };
    const auto at = std::find_if(properties.begin(), properties.end(),
                                 [&](const Property& q) { return rank(q.name) > rank(p.name); });
    properties.insert(at, std::move(p));
}

struct StrikeMetrics {
    std::int64_t ascent = 0, descent = 0;
    std::int64_t min_x = 0, min_y = 0, max_x = 0, max_y = 0;  // the union of the glyph boxes
    bool equal_advances = true;
    std::int64_t advance_sum = 0;
    std::int64_t first_advance = 0;
};

StrikeMetrics measure(FT_Face face, const StrikeGlyphs& glyphs) {
    StrikeMetrics m;
    bool any_box = false;
    for (std::size_t i = 0; i < glyphs.count; ++i) {
        const GlyphPicture& p = glyphs.pictures[glyphs.glyphs[i].picture];
        if (i == 0) m.first_advance = p.advance;
        m.equal_advances = m.equal_advances && p.advance == m.first_advance;
        m.advance_sum += p.advance;
        if (p.width == 0 || p.rows == 0) continue;
        const std::int64_t x0 = p.left, y0 = p.top - p.rows, x1 = p.left + p.width, y1 = p.top;
        m.min_x = any_box ? std::min(m.min_x, x0) : x0;
        m.min_y = any_box ? std::min(m.min_y, y0) : y0;
        m.max_x = any_box ? std::max(m.max_x, x1) : x1;
        m.max_y = any_box ? std::max(m.max_y, y1) : y1;
        any_box = true;
    }
    const FT_Size_Metrics& size = face->size->metrics;
    m.ascent = (size.ascender + 32) >> 6;
    m.descent = (-size.descender + 32) >> 6;
    // A strike without line metrics is measured by its ink.
    if (m.ascent + m.descent <= 0) {
        m.ascent = m.max_y;
        m.descent = -m.min_y;
    }
    return m;
}

// "C" when every glyph has the same advance and its ink stays inside its
// cell, "M" for the same advance alone, "P" otherwise.
std::string spacing(const StrikeMetrics& m, const StrikeGlyphs& glyphs) {
    if (!m.equal_advances) return "P";
    for (std::size_t i = 0; i < glyphs.count; ++i) {
        const GlyphPicture& p = glyphs.pictures[glyphs.glyphs[i].picture];
        if (p.width == 0 || p.rows == 0) continue;
        if (p.left < 0 || p.left + p.width > p.advance || p.top > m.ascent ||
            p.top - p.rows < -m.descent)
            return "M";
    }
    return "C";
}

std::string setwidth_name(unsigned width_class) {
    static constexpr std::string_view NAMES[] = {
        "UltraCondensed", "ExtraCondensed", "Condensed",     "SemiCondensed", "Normal",
        "SemiExpanded",   "Expanded",       "ExtraExpanded", "UltraExpanded"};
    return std::string(width_class >= 1 && width_class <= 9 ? NAMES[width_class - 1] : "Normal");
}

// What a font without properties of its own says of itself in its names,
// OS/2 table and strike.
std::vector<Property> made_properties(const BitmapFont& font, const StrikeGlyphs& glyphs,
                                      const StrikeMetrics& m) {
    FT_Face face = font.face();
    const std::string style = face->style_name ? face->style_name : "";
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const bool bold = (face->style_flags & FT_STYLE_FLAG_BOLD) ||
                      (os2 && os2->version != 0xFFFF && os2->usWeightClass >= 600);
    std::string slant = "R";
    if (face->style_flags & FT_STYLE_FLAG_ITALIC)
        slant = style.find("Oblique") != std::string::npos ? "O" : "I";
    const std::int64_t pixels = font.selected_pixel_size();
    const std::int64_t count = static_cast<std::int64_t>(glyphs.count);
    std::vector<Property> p = {
        text_property("FAMILY_NAME", face->family_name ? face->family_name : ""),
        text_property("WEIGHT_NAME", bold ? "Bold" : "Medium"),
        text_property("SLANT", slant),
        text_property("SETWIDTH_NAME",
                      setwidth_name(os2 && os2->version != 0xFFFF ? os2->usWidthClass : 5)),
        number_property("PIXEL_SIZE", pixels),
        number_property("POINT_SIZE", pixels * 10),
        number_property("RESOLUTION_X", 72),
        number_property("RESOLUTION_Y", 72),
        text_property("SPACING", spacing(m, glyphs)),
        number_property("AVERAGE_WIDTH", count ? (m.advance_sum * 10 + count / 2) / count : 0),
        text_property("CHARSET_REGISTRY", glyphs.unicode ? "ISO10646" : "FontSpecific"),
        text_property("CHARSET_ENCODING", glyphs.unicode ? "1" : "0"),
    };
    const std::string copyright = sfnt_name(face, 0);
    if (!copyright.empty()) p.push_back(text_property("COPYRIGHT", copyright));
    return p;
}

std::string xlfd_name(const std::vector<Property>& properties) {
    std::string name;
    for (std::string_view field : XLFD_FIELDS) {
        name += '-';
        if (const Property* p = find(properties, field))
            name += p->quoted ? p->text : std::to_string(p->number);
    }
    return name;
}

}  // namespace

std::span<const std::string_view> standard_properties() {
    return STANDARD_PROPERTIES;
}

std::int64_t BdfHeader::swidth(std::int64_t dwidth) const {
    const std::int64_t n = dwidth * swidth_numerator;
    const std::int64_t half = swidth_denominator / 2;
    return n >= 0 ? (n + half) / swidth_denominator : -((-n + half) / swidth_denominator);
}

BdfHeader make_bdf_header(const BitmapFont& font, const StrikeGlyphs& glyphs) {
    FT_Face face = font.face();
    const StrikeMetrics m = measure(face, glyphs);
    BdfHeader h;
    const bool doubled = font.format() == "BDF";
    for (std::string_view name : STANDARD_PROPERTIES)
        if (std::optional<Property> p = kept_property(face, name, doubled))
            h.properties.push_back(std::move(*p));
    if (h.properties.empty()) h.properties = made_properties(font, glyphs, m);
    if (!find(h.properties, "FONT_ASCENT"))
        insert_in_order(h.properties, number_property("FONT_ASCENT", m.ascent));
    if (!find(h.properties, "FONT_DESCENT"))
        insert_in_order(h.properties, number_property("FONT_DESCENT", m.descent));

    const Property* font_property = find(h.properties, "FONT");
    h.font_name = font_property && font_property->quoted && !font_property->text.empty()
                      ? font_property->text
                      : xlfd_name(h.properties);

    const auto point_size = positive(h.properties, "POINT_SIZE");
    const auto resolution_x = positive(h.properties, "RESOLUTION_X");
    const auto resolution_y = positive(h.properties, "RESOLUTION_Y");
    if (point_size && resolution_x) {
        h.point_size = (*point_size + 5) / 10;
        h.resolution_x = *resolution_x;
        h.resolution_y = resolution_y ? *resolution_y : *resolution_x;
        h.swidth_numerator = 720000;
        h.swidth_denominator = *point_size * *resolution_x;
    } else {
        // Without them the pixel is taken as a point, at 72 dots an inch.
        h.point_size = std::max(1, font.selected_pixel_size());
        h.swidth_denominator = h.point_size;
    }
    h.box_width = m.max_x - m.min_x;
    h.box_height = m.max_y - m.min_y;
    h.box_x = m.min_x;
    h.box_y = m.min_y;
    return h;
}

}  // namespace glyph::reading
