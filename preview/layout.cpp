#include "layout.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace glyph {
namespace {

// Sizes on the page, in font pixels before scaling.
constexpr int PAGE_MARGIN = 4;
constexpr int LABEL_GAP = 2;
constexpr int ENTRY_GAP = 8;

// The outline standing in for a missing character. One column is left blank
// on its right so that a run of missing characters still reads as separate
// boxes. Only its place is kept; it is drawn straight into the line, so that
// a font with huge cells costs one picture, not one per missing character.
struct Placement {
    std::int64_t left = 0;  // of the picture, from the pen
    std::int64_t top = 0;   // of the picture, above the baseline
    std::int64_t width = 0, height = 0;
    std::int64_t advance = 0;
};

Placement missing_box(const Font& font) {
    const int advance = std::max(font.cell_width(), 3);
    return {0, font.ascent(), advance - 1, std::max(font.ascent() + font.descent(), 3), advance};
}

void draw_outline(Bitmap& dst, std::int64_t x, std::int64_t y, std::int64_t width,
                  std::int64_t height) {
    const auto mark = [&dst](std::int64_t px, std::int64_t py) {
        if (px >= 0 && px < dst.width() && py >= 0 && py < dst.height())
            dst.set(static_cast<int>(px), static_cast<int>(py));
    };
    for (std::int64_t i = 0; i < width; ++i) {
        mark(x + i, y);
        mark(x + i, y + height - 1);
    }
    for (std::int64_t i = 0; i < height; ++i) {
        mark(x, y + i);
        mark(x + width - 1, y + i);
    }
}

}  // namespace

// Two passes over the text: the first measures the line, the second loads
// every glyph again and draws it, so that no more than one glyph's picture is
// held beside the line's.
Bitmap set_line(Font& font, std::u32string_view text) {
    const Placement box = missing_box(font);
    const auto place = [&](const std::optional<Glyph>& glyph) {
        if (!glyph) return box;
        return Placement{glyph->left, glyph->top, glyph->image.width(), glyph->image.height(),
                         glyph->advance};
    };
    std::int64_t pen = 0;
    // Bounds against the pen's start on the baseline, y growing downwards.
    std::int64_t left = 0, right = 0, top = -font.ascent(), bottom = font.descent();
    for (char32_t code : text) {
        const Placement p = place(font.glyph(code));
        const std::int64_t x = pen + p.left;
        if (p.width > 0 && p.height > 0) {
            left = std::min(left, x);
            right = std::max(right, x + p.width);
            top = std::min(top, -p.top);
            bottom = std::max(bottom, p.height - p.top);
        }
        pen += p.advance;
        right = std::max(right, pen);
    }
    Bitmap line(right - left, bottom - top);
    pen = 0;
    for (char32_t code : text) {
        const std::optional<Glyph> glyph = font.glyph(code);
        const Placement p = place(glyph);
        const std::int64_t x = pen + p.left - left, y = -p.top - top;
        if (glyph)
            draw(line, glyph->image, static_cast<int>(x), static_cast<int>(y));
        else
            draw_outline(line, x, y, p.width, p.height);
        pen += p.advance;
    }
    return line;
}

Bitmap compose_page(std::span<const PageEntry> entries) {
    std::int64_t width = 0, height = 0;
    for (const PageEntry& entry : entries) {
        width =
            std::max({width, std::int64_t{entry.label.width()}, std::int64_t{entry.line.width()}});
        height += entry.label.height() + LABEL_GAP + entry.line.height();
    }
    if (!entries.empty()) height += ENTRY_GAP * std::int64_t(entries.size() - 1);
    Bitmap page(width + 2 * PAGE_MARGIN, height + 2 * PAGE_MARGIN);
    int y = PAGE_MARGIN;
    for (const PageEntry& entry : entries) {
        draw(page, entry.label, PAGE_MARGIN, y);
        y += entry.label.height() + LABEL_GAP;
        draw(page, entry.line, PAGE_MARGIN, y);
        y += entry.line.height() + ENTRY_GAP;
    }
    return page;
}

}  // namespace glyph
