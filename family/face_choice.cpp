#include "face_choice.hpp"

namespace glyph::family {
namespace {

// Division rounded toward minus infinity.
std::int64_t floor_div(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

Box balanced_slant_box(const Box& box, std::int64_t rows_per_step) {
    if (box.width == 0 || box.height == 0) return box;
    const std::int64_t lo = floor_div(box.y, rows_per_step);
    const std::int64_t hi = floor_div(box.y + box.height - 1, rows_per_step);
    return {box.width + (hi - lo), box.height, box.x + lo, box.y};
}

std::int64_t cell_slant_step(const Box& font_box) {
    for (std::int64_t step = 3; step < 16; ++step) {
        const Box slanted = balanced_slant_box(font_box, step);
        if (slanted.x >= font_box.x - 1 &&
            slanted.x + slanted.width <= font_box.x + font_box.width + 1)
            return step;
    }
    return 16;
}

FaceOptions choose_options(const FontSurvey& font) {
    FaceOptions options;
    if (font.spacing == Spacing::proportional) {
        options.bold = {"-w", "-a"};  // grown ink would run into the next letter
        options.oblique = {"-b"};
        return options;
    }
    if (font.widened_boxes_fit) options.bold = {"-w"};
    options.oblique = {"-b", "-s", std::to_string(cell_slant_step(font.font_box))};
    return options;
}

}  // namespace glyph::family
