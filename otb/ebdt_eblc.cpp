#include "ebdt_eblc.hpp"

#include <algorithm>

#include "font_buffer.hpp"

namespace glyph::otb {
namespace {

// Index subtable format 1 (a 32-bit offset per glyph) with image format 2
// (small metrics, bit-aligned rows): the smallest images FreeType reads, and
// a glyph without ink still has a record holding its advance. A missing
// record would make FreeType take the advance from hmtx, which is right for
// one strike only.
constexpr int INDEX_FORMAT = 1, IMAGE_FORMAT = 2;
constexpr std::int64_t HORIZONTAL = 1, BIT_DEPTH = 1;

void put_line_metrics(FontBuffer& out, const LineMetrics& m) {
    out.i8(m.ascender);
    out.i8(m.descender);
    out.u8(m.width_max);
    out.i8(m.caret_rise);
    out.i8(m.caret_run);
    out.i8(0);  // caret offset
    out.i8(m.min_origin_sb);
    out.i8(m.min_advance_sb);
    out.i8(m.max_before_bl);
    out.i8(m.min_after_bl);
    out.zeros(2);
}

void put_image(FontBuffer& out, const GlyphImage& image) {
    out.u8(image.height);
    out.u8(image.width);
    out.i8(image.bearing_x);
    out.i8(image.bearing_y);
    out.u8(image.advance);
    const family::BdfGlyph& glyph = *image.source;
    BitWriter bits(out);
    for (std::int64_t row = 0; row < image.height; ++row) {
        const std::uint8_t* source =
            glyph.rows.data() + static_cast<std::size_t>(image.first_row + row) * glyph.row_bytes;
        // Eight pixels at a time, from wherever the ink starts in the row.
        for (std::int64_t column = 0; column < image.width; column += 8) {
            const std::int64_t at = image.first_column + column;
            const auto byte = static_cast<std::size_t>(at / 8);
            const int shift = static_cast<int>(at % 8);
            unsigned window = unsigned{source[byte]} << 8;
            if (byte + 1 < glyph.row_bytes) window |= source[byte + 1];
            bits.bits((window << shift) >> 8,
                      static_cast<int>(std::min<std::int64_t>(8, image.width - column)));
        }
    }
    bits.finish();
}

}  // namespace

LineMetrics line_metrics(const StrikeImages& strike, std::int64_t rows_per_step) {
    LineMetrics m;
    m.ascender = strike.ascent;
    m.descender = -strike.descent;
    if (rows_per_step > 0) {
        m.caret_rise = rows_per_step;
        m.caret_run = 1;
    }
    bool first = true;
    for (const GlyphImage& g : strike.glyphs) {
        if (g.width == 0) continue;
        const std::int64_t after_bl = g.bearing_y - g.height;
        if (first) {
            m.min_origin_sb = g.bearing_x;
            m.max_before_bl = g.bearing_y;
            m.min_after_bl = after_bl;
            first = false;
        }
        m.width_max = std::max(m.width_max, g.width);
        m.min_origin_sb = std::min(m.min_origin_sb, g.bearing_x);
        m.max_before_bl = std::max(m.max_before_bl, g.bearing_y);
        m.min_after_bl = std::min(m.min_after_bl, after_bl);
    }
    // FreeType takes minOriginSB + widthMax + minAdvanceSB for the strike's
    // largest advance, and xterm makes its cell as wide as the widest Latin-1
    // image that fits in that. With the least right bearing of the ink here,
    // a slanted face, whose ink overhangs its cells on both sides, comes out
    // a pixel or more narrower than its advance (an 11-pixel cell for the
    // 12-pixel oblique 12x24). So this field makes the sum the largest advance.
    std::int64_t advance_max = 0;
    for (const GlyphImage& g : strike.glyphs)
        advance_max = std::max(advance_max, g.advance);
    m.min_advance_sb =
        std::clamp<std::int64_t>(advance_max - m.width_max - m.min_origin_sb, -128, 127);
    return m;
}

BitmapTables bitmap_tables(const std::vector<StrikeImages>& strikes, std::int64_t rows_per_step) {
    FontBuffer eblc, ebdt;
    eblc.u16(2);
    eblc.u16(0);
    eblc.u32(static_cast<std::int64_t>(strikes.size()));
    ebdt.u16(2);
    ebdt.u16(0);

    std::vector<std::size_t> array_offset_fields;
    for (const StrikeImages& strike : strikes) {
        const auto last_glyph = static_cast<std::int64_t>(strike.glyphs.size());
        array_offset_fields.push_back(eblc.reserve32());
        eblc.u32(8 + 8 + 4 * (last_glyph + 1));  // the array's one entry and its subtable
        eblc.u32(1);                             // index subtables
        eblc.u32(0);                             // colour reference
        const LineMetrics metrics = line_metrics(strike, rows_per_step);
        put_line_metrics(eblc, metrics);
        put_line_metrics(eblc, metrics);
        eblc.u16(1);
        eblc.u16(last_glyph);
        eblc.u8(strike.ppem);
        eblc.u8(strike.ppem);
        eblc.u8(BIT_DEPTH);
        eblc.i8(HORIZONTAL);
    }
    for (std::size_t s = 0; s < strikes.size(); ++s) {
        const StrikeImages& strike = strikes[s];
        const auto last_glyph = static_cast<std::int64_t>(strike.glyphs.size());
        eblc.patch32(array_offset_fields[s], static_cast<std::int64_t>(eblc.size()));
        eblc.u16(1);
        eblc.u16(last_glyph);
        eblc.u32(8);  // the subtable follows the array
        eblc.u16(INDEX_FORMAT);
        eblc.u16(IMAGE_FORMAT);
        const std::size_t image_start = ebdt.size();
        eblc.u32(static_cast<std::int64_t>(image_start));
        for (const GlyphImage& image : strike.glyphs) {
            eblc.u32(static_cast<std::int64_t>(ebdt.size() - image_start));
            put_image(ebdt, image);
        }
        eblc.u32(static_cast<std::int64_t>(ebdt.size() - image_start));
    }
    return {eblc.take(), ebdt.take()};
}

}  // namespace glyph::otb
