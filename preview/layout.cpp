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
// boxes.
Glyph missing_box(const Font& font) {
    const int advance = std::max(font.cell_width(), 3);
    const int width = advance - 1;
    const int height = std::max(font.ascent() + font.descent(), 3);
    Glyph box{Bitmap(width, height), 0, font.ascent(), advance};
    for (int x = 0; x < width; ++x) {
        box.image.set(x, 0);
        box.image.set(x, height - 1);
    }
    for (int y = 0; y < height; ++y) {
        box.image.set(0, y);
        box.image.set(width - 1, y);
    }
    return box;
}

struct Placed {
    Glyph glyph;
    std::int64_t x;  // of the glyph's left edge, from the pen's start
};

}  // namespace

Bitmap set_line(Font& font, std::u32string_view text) {
    std::vector<Placed> placed;
    std::int64_t pen = 0;
    // Bounds against the pen's start on the baseline, y growing downwards.
    std::int64_t left = 0, right = 0, top = -font.ascent(), bottom = font.descent();
    for (char32_t code : text) {
        std::optional<Glyph> found = font.glyph(code);
        Glyph glyph = found ? std::move(*found) : missing_box(font);
        const std::int64_t x = pen + glyph.left;
        if (glyph.image.width() > 0 && glyph.image.height() > 0) {
            left = std::min(left, x);
            right = std::max(right, x + glyph.image.width());
            top = std::min<std::int64_t>(top, -glyph.top);
            bottom = std::max<std::int64_t>(bottom, glyph.image.height() - glyph.top);
        }
        pen += glyph.advance;
        right = std::max(right, pen);
        placed.push_back({std::move(glyph), x});
    }
    Bitmap line(right - left, bottom - top);
    for (const Placed& p : placed)
        draw(line, p.glyph.image, static_cast<int>(p.x - left),
             static_cast<int>(-p.glyph.top - top));
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
