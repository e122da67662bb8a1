#include "metrics_tables.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

#include "ebdt_eblc.hpp"
#include "font_buffer.hpp"

namespace glyph::otb {
namespace {

// Seconds from 1904-01-01, where sfnt dates count from, to 1970-01-01.
constexpr std::int64_t SFNT_EPOCH_OFFSET = 2082844800;
constexpr std::int64_t MIN_UNITS_PER_EM = 16;

bool monospaced(const OtbStyle& style) {
    return style.spacing != family::Spacing::proportional;
}

// The reference strike's ink and advances in font units.
struct Extent {
    std::int64_t x_min = 0, y_min = 0, x_max = 0, y_max = 0;
    std::int64_t advance_max = 0, min_lsb = 0, min_rsb = 0, x_max_extent = 0;
};

Extent extent_of(const Design& design) {
    Extent e;
    bool first = true;
    const std::int64_t k = design.scale;
    for (const GlyphImage& g : design.reference->glyphs) {
        e.advance_max = std::max(e.advance_max, g.advance * k);
        if (g.width == 0) continue;
        const std::int64_t left = g.bearing_x * k, right = (g.bearing_x + g.width) * k;
        const std::int64_t top = g.bearing_y * k, bottom = (g.bearing_y - g.height) * k;
        const std::int64_t rsb = g.advance * k - right;
        if (first) {
            e = {left, bottom, right, top, e.advance_max, left, rsb, right};
            first = false;
        }
        e.x_min = std::min(e.x_min, left);
        e.y_min = std::min(e.y_min, bottom);
        e.x_max = std::max(e.x_max, right);
        e.y_max = std::max(e.y_max, top);
        e.min_lsb = std::min(e.min_lsb, left);
        e.min_rsb = std::min(e.min_rsb, rsb);
        e.x_max_extent = std::max(e.x_max_extent, right);
    }
    return e;
}

// The top of the ink of a letter, for the x-height and the cap height.
std::int64_t ink_top(const Design& design, char32_t letter) {
    const auto at = std::lower_bound(design.codes.begin(), design.codes.end(), letter);
    if (at == design.codes.end() || *at != letter) return 0;
    const GlyphImage& g =
        design.reference->glyphs[static_cast<std::size_t>(at - design.codes.begin())];
    return g.width == 0 ? 0 : g.bearing_y * design.scale;
}

// "Version 1.002" -> 1.002 in 16.16 fixed point; 1.0 when there is no number.
std::int64_t revision(const std::string& version) {
    const std::size_t digit = version.find_first_of("0123456789");
    if (digit == std::string::npos) return 0x10000;
    std::int64_t whole = 0;
    std::size_t at = digit;
    for (; at < version.size() && std::isdigit(static_cast<unsigned char>(version[at])) &&
           whole < 0x7FFF;
         ++at)
        whole = whole * 10 + (version[at] - '0');
    double fraction = 0, unit = 0.1;
    if (at < version.size() && version[at] == '.')
        for (++at; at < version.size() && std::isdigit(static_cast<unsigned char>(version[at]));
             ++at, unit /= 10)
            fraction += (version[at] - '0') * unit;
    return std::min<std::int64_t>(whole, 0x7FFF) * 0x10000 +
           std::llround(fraction * 0x10000) % 0x10000;
}

// hmtx entries with an advance: the glyphs after the last change of advance
// share the last one.
std::size_t long_metrics(const StrikeImages& s) {
    const auto advance = [&](std::size_t id) { return id == 0 ? 0 : s.glyphs[id - 1].advance; };
    std::size_t metrics = s.glyphs.size() + 1;
    while (metrics > 1 && advance(metrics - 1) == advance(metrics - 2))
        --metrics;
    return metrics;
}

}  // namespace

Design design_of(const std::vector<StrikeImages>& strikes, std::vector<char32_t> codes) {
    Design design;
    design.codes = std::move(codes);
    design.reference = &strikes.front();
    design.lowest_ppem = strikes.front().ppem;
    for (const StrikeImages& strike : strikes) {
        if (strike.ppem > design.reference->ppem) design.reference = &strike;
        design.lowest_ppem = std::min(design.lowest_ppem, strike.ppem);
    }
    const std::int64_t ppem = design.reference->ppem;
    design.scale = (MIN_UNITS_PER_EM + ppem - 1) / ppem;
    design.units_per_em = ppem * design.scale;
    return design;
}

std::int32_t italic_angle(const OtbStyle& style) {
    if (!style.slanted || style.rows_per_step <= 0) return 0;
    const double degrees =
        std::atan(1.0 / static_cast<double>(style.rows_per_step)) * 180 / std::numbers::pi;
    return static_cast<std::int32_t>(std::lround(-degrees * 65536));
}

std::vector<std::uint8_t> head_table(const Design& design, const OtbStyle& style) {
    const Extent e = extent_of(design);
    FontBuffer out;
    out.u16(1);
    out.u16(0);
    out.u32(revision(style.version));
    out.u32(0);  // checkSumAdjustment, set once the file is whole
    out.u32(0x5F0F3CF5);
    out.u16(0x0009);  // baseline at y = 0, whole-pixel scaling
    out.u16(design.units_per_em);
    out.i64(style.date + SFNT_EPOCH_OFFSET);  // created
    out.i64(style.date + SFNT_EPOCH_OFFSET);  // modified
    out.i16(e.x_min);
    out.i16(e.y_min);
    out.i16(e.x_max);
    out.i16(e.y_max);
    out.u16((style.bold ? 1 : 0) | (style.slanted ? 2 : 0));
    out.u16(design.lowest_ppem);
    out.i16(2);  // fontDirectionHint
    out.i16(0);  // indexToLocFormat
    out.i16(0);  // glyphDataFormat
    return out.take();
}

std::vector<std::uint8_t> hhea_table(const Design& design, const OtbStyle& style) {
    const Extent e = extent_of(design);
    const StrikeImages& s = *design.reference;
    FontBuffer out;
    out.u16(1);
    out.u16(0);
    out.i16(s.ascent * design.scale);
    out.i16(-s.descent * design.scale);
    out.i16(0);  // line gap
    out.u16(e.advance_max);
    out.i16(e.min_lsb);
    out.i16(e.min_rsb);
    out.i16(e.x_max_extent);
    const bool slanted = style.slanted && style.rows_per_step > 0;
    out.i16(slanted ? style.rows_per_step : 1);  // caret slope rise
    out.i16(slanted ? 1 : 0);                    // and run
    out.i16(0);                                  // caret offset
    out.zeros(8);
    out.i16(0);  // metricDataFormat
    out.u16(static_cast<std::int64_t>(long_metrics(s)));
    return out.take();
}

std::vector<std::uint8_t> hmtx_table(const Design& design) {
    const StrikeImages& s = *design.reference;
    const std::size_t metrics = long_metrics(s);
    FontBuffer out;
    out.u16(0);  // .notdef: no advance, no ink
    out.i16(0);
    for (std::size_t i = 0; i < s.glyphs.size(); ++i) {
        const GlyphImage& g = s.glyphs[i];
        if (i + 1 < metrics) out.u16(g.advance * design.scale);
        out.i16(g.bearing_x * design.scale);
    }
    return out.take();
}

std::vector<std::uint8_t> maxp_table(const Design& design) {
    FontBuffer out;
    out.u32(0x00005000);  // version 0.5: no outlines
    out.u16(static_cast<std::int64_t>(design.codes.size()) + 1);
    return out.take();
}

std::vector<std::uint8_t> os2_table(const Design& design, const OtbStyle& style) {
    const StrikeImages& s = *design.reference;
    const std::int64_t k = design.scale, em = design.units_per_em;
    const LineMetrics lines = line_metrics(s, 0);
    std::int64_t sum = 0, count = 0;
    for (const GlyphImage& g : s.glyphs)
        if (g.advance != 0) sum += g.advance, ++count;
    const std::int64_t x_height = ink_top(design, U'x');
    FontBuffer out;
    out.u16(4);
    out.i16(count ? (sum * k + count / 2) / count : 0);  // xAvgCharWidth
    out.u16(style.bold ? 700 : 400);
    out.u16(5);  // medium width
    out.u16(0);  // installable: no embedding restrictions
    for (const std::int64_t y_offset : {em / 5, em * 2 / 5}) {  // sub- and superscript
        out.i16(em * 2 / 3);
        out.i16(em * 2 / 3);
        out.i16(0);
        out.i16(y_offset);
    }
    out.i16(k);                                           // strikeout size: a pixel
    out.i16(x_height ? x_height / 2 : s.ascent * k / 3);  // strikeout position
    out.i16(0);                                           // family class
    // PANOSE: Latin text, its weight, and monospaced where every advance is one.
    const std::uint8_t panose[10] = {2,
                                     0,
                                     static_cast<std::uint8_t>(style.bold ? 8 : 6),
                                     static_cast<std::uint8_t>(monospaced(style) ? 9 : 0),
                                     0,
                                     0,
                                     0,
                                     0,
                                     0,
                                     0};
    out.bytes(panose);
    out.zeros(16);  // ulUnicodeRange: left for clients to derive from cmap
    out.tag("    ");
    std::int64_t selection = style.bold ? 0x20 : 0;
    if (style.slanted) selection |= 0x01 | 0x200;          // ITALIC and OBLIQUE
    if (!style.bold && !style.slanted) selection |= 0x40;  // REGULAR
    out.u16(selection);
    out.u16(std::min<std::int64_t>(design.codes.front(), 0xFFFF));
    out.u16(std::min<std::int64_t>(design.codes.back(), 0xFFFF));
    out.i16(s.ascent * k);  // typo metrics: the font's own line, as in hhea
    out.i16(-s.descent * k);
    out.i16(0);
    out.u16(std::max(s.ascent, lines.max_before_bl) * k);  // win metrics: all the ink
    out.u16(std::max(s.descent, -lines.min_after_bl) * k);
    out.zeros(8);  // ulCodePageRange
    out.i16(x_height);
    out.i16(ink_top(design, U'H'));
    out.u16(0);   // default char: .notdef
    out.u16(32);  // break char
    out.u16(1);   // max context: no contextual lookups
    return out.take();
}

std::vector<std::uint8_t> post_table(const Design& design, const OtbStyle& style) {
    FontBuffer out;
    out.u32(0x00030000);  // no glyph names
    out.u32(static_cast<std::uint32_t>(italic_angle(style)));
    out.i16(-design.scale);  // underline: the pixel row below the baseline
    out.i16(design.scale);
    out.u32(monospaced(style) ? 1 : 0);
    out.zeros(16);
    return out.take();
}

}  // namespace glyph::otb
