#include "strike_images.hpp"

#include <cstdio>

namespace glyph::otb {
namespace {

// Glyph metrics are stored in bytes: sizes and the advance unsigned,
// bearings signed.
bool fits_unsigned(std::int64_t v) {
    return v >= 0 && v <= 255;
}
bool fits_signed(std::int64_t v) {
    return v >= -128 && v <= 127;
}

// The smallest box holding every set pixel of the glyph, in its bitmap's rows
// and columns; width 0 when there is none.
GlyphImage ink_of(const family::BdfGlyph& glyph) {
    GlyphImage image;
    image.source = &glyph;
    image.advance = glyph.dwidth_x;
    const std::int64_t width = glyph.box.width, height = glyph.box.height;
    // A glyph without a whole picture has no ink to store.
    if (width <= 0 || height <= 0 || glyph.row_bytes < static_cast<std::size_t>(width + 7) / 8 ||
        glyph.rows.size() < static_cast<std::size_t>(height) * glyph.row_bytes)
        return image;
    std::int64_t top = height, bottom = -1, left = width, right = -1;
    for (std::int64_t row = 0; row < height; ++row) {
        const std::uint8_t* bytes =
            glyph.rows.data() + static_cast<std::size_t>(row) * glyph.row_bytes;
        std::int64_t first = -1, last = -1;
        for (std::size_t b = 0; b < glyph.row_bytes; ++b) {
            if (bytes[b] == 0) continue;
            const auto base = static_cast<std::int64_t>(8 * b);
            if (first < 0) first = base + __builtin_clz(unsigned{bytes[b]}) - 24;
            last = base + 7 - __builtin_ctz(unsigned{bytes[b]});
        }
        if (first < 0 || first >= width) continue;
        if (last >= width) last = width - 1;
        if (top == height) top = row;
        bottom = row;
        if (first < left) left = first;
        if (last > right) right = last;
    }
    if (bottom < 0) return image;
    image.width = right - left + 1;
    image.height = bottom - top + 1;
    image.first_column = left;
    image.first_row = top;
    image.bearing_x = glyph.box.x + left;
    image.bearing_y = glyph.box.y + height - top;
    return image;
}

std::string check_image(const GlyphImage& image) {
    if (!fits_unsigned(image.advance))
        return "its advance " + std::to_string(image.advance) + " is not 0 to 255";
    if (!fits_unsigned(image.width) || !fits_unsigned(image.height))
        return "its ink of " + std::to_string(image.width) + "x" + std::to_string(image.height) +
               " is larger than 255x255";
    if (!fits_signed(image.bearing_x) || !fits_signed(image.bearing_y) ||
        !fits_signed(image.bearing_y - image.height))
        return "its ink lies beyond 127 pixels of the origin";
    return {};
}

}  // namespace

std::string glyph_label(const family::BdfFont& font, const family::BdfGlyph& glyph, char32_t code) {
    char unicode[16];
    std::snprintf(unicode, sizeof unicode, "U+%04lX", static_cast<unsigned long>(code));
    return font.name + ": glyph " + glyph.name + " (" + unicode + ")";
}

StrikeResult trim_strike(const OtbStrike& strike) {
    StrikeResult result;
    if (strike.font == nullptr) {
        result.error = "a strike without a font";
        return result;
    }
    const family::BdfFont& font = *strike.font;
    StrikeImages& out = result.strike;
    out.font = &font;
    const auto pixel_size = font.integer("PIXEL_SIZE");
    out.ppem = pixel_size && *pixel_size > 0 ? *pixel_size : font.font_box.height;
    out.ascent = font.integer("FONT_ASCENT").value_or(font.font_box.height + font.font_box.y);
    out.descent = font.integer("FONT_DESCENT").value_or(-font.font_box.y);
    if (out.ppem < 1 || out.ppem > 255) {
        result.error =
            font.name + ": its pixel size " + std::to_string(out.ppem) + " is not 1 to 255";
        return result;
    }
    if (!fits_signed(out.ascent) || !fits_signed(-out.descent)) {
        result.error = font.name + ": its ascent or descent is beyond 127 pixels";
        return result;
    }
    out.glyphs.reserve(strike.chars.size());
    for (const auto& [code, index] : strike.chars) {
        if (index >= font.glyphs.size()) {
            result.error = font.name + ": a character refers to no glyph";
            return result;
        }
        const family::BdfGlyph& glyph = font.glyphs[index];
        out.glyphs.push_back(ink_of(glyph));
        const std::string why = check_image(out.glyphs.back());
        if (!why.empty()) {
            result.error = glyph_label(font, glyph, code) + ": " + why;
            return result;
        }
    }
    return result;
}

}  // namespace glyph::otb
