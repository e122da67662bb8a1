#include "terminal_writer.hpp"

namespace glyph {
namespace {

// Indexed by upper pixel + 2 * lower pixel: space, upper half block, lower
// half block, full block.
constexpr std::string_view CELLS[] = {" ", "\u2580", "\u2584", "\u2588"};

}  // namespace

void write_terminal(ByteSink& out, std::string_view label, const Bitmap& picture) {
    out.put(label);
    out.put('\n');
    for (int y = 0; y < picture.height(); y += 2) {
        const bool has_lower = y + 1 < picture.height();
        auto cell = [&](int x) {
            return (picture.ink(x, y) ? 1 : 0) + (has_lower && picture.ink(x, y + 1) ? 2 : 0);
        };
        int end = picture.width();
        while (end > 0 && cell(end - 1) == 0)
            --end;
        for (int x = 0; x < end; ++x)
            out.put(CELLS[cell(x)]);
        out.put('\n');
    }
    out.put('\n');
}

}  // namespace glyph
