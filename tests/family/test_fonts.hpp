// Small BDF fonts drawn at random for the family tests: every size, class
// and charset a family may come in, without a font file in the tree.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace glyph::test {

struct FontRecipe {
    std::string family = "Glyphtest";
    int pixel_size = 16;
    int width = 8;  // the cell, or the widest glyph of a proportional font
    int descent = 4;
    char spacing = 'C';  // 'C', 'M', 'P', or 0 for no SPACING property
    std::string registry = "ISO10646";
    std::string encoding = "1";
    // Keep every glyph box a pixel clear of the cell's edges.
    bool inset = false;
    std::vector<int> codes = {};  // default: 0, 32..126 and a few beyond
    unsigned seed = 1;
    std::string weight = "Medium";  // in the FONT name and WEIGHT_NAME
    std::string slant = "R";
};

inline std::string make_font(const FontRecipe& recipe) {
    std::mt19937 random(recipe.seed);
    const auto pick = [&](int low, int high) {  // [low, high]
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    std::vector<int> codes = recipe.codes;
    if (codes.empty()) {
        codes.push_back(0);
        for (int c = 32; c < 127; ++c)
            codes.push_back(c);
        for (int c : {0xA0, 0xC9, 0xE9, 0xFF})
            codes.push_back(c);
        if (recipe.registry == "ISO10646")
            for (int c : {0x416, 0x2500, 0x3042})
                codes.push_back(c);
    }
    const int height = recipe.pixel_size, ascent = height - recipe.descent;
    const char spacing = recipe.spacing ? recipe.spacing : 'P';
    std::string xlfd = "-Test-" + recipe.family + "-" + recipe.weight + "-" + recipe.slant +
                       "-Normal--" + std::to_string(recipe.pixel_size) + "-" +
                       std::to_string(recipe.pixel_size * 10) + "-75-75-" +
                       std::string(1, spacing) + "-" + std::to_string(recipe.width * 10) + "-" +
                       recipe.registry + "-" + recipe.encoding;
    std::string glyphs;
    for (int code : codes) {
        const int advance =
            recipe.spacing == 'C' || recipe.spacing == 'M' ? recipe.width : pick(3, recipe.width);
        int w = 0, h = 0, x = 0, y = 0;
        if (code != 32) {
            const int margin = recipe.inset ? 1 : 0;
            w = pick(1, advance - 2 * margin);
            x = pick(margin, advance - margin - w);
            h = pick(1, height);
            y = pick(-recipe.descent, ascent - h);
        }
        glyphs += "STARTCHAR U+" + std::to_string(code) + "\nENCODING " + std::to_string(code) +
                  "\nSWIDTH " + std::to_string(advance * 1000 / recipe.pixel_size) + " 0\nDWIDTH " +
                  std::to_string(advance) + " 0\nBBX " + std::to_string(w) + " " +
                  std::to_string(h) + " " + std::to_string(x) + " " + std::to_string(y) +
                  "\nBITMAP\n";
        static const char digits[] = "0123456789ABCDEF";
        for (int row = 0; row < h; ++row) {
            const int bytes = (w + 7) / 8;
            for (int b = 0; b < bytes; ++b) {
                int value = pick(0, 255);
                const int used = w - 8 * b;
                if (used < 8) value &= (0xFF00 >> used) & 0xFF;
                glyphs += digits[value >> 4];
                glyphs += digits[value & 15];
            }
            glyphs += '\n';
        }
        glyphs += "ENDCHAR\n";
    }
    std::string font = "STARTFONT 2.1\nFONT " + xlfd + "\nSIZE " +
                       std::to_string(recipe.pixel_size) + " 75 75\nFONTBOUNDINGBOX " +
                       std::to_string(recipe.width) + " " + std::to_string(height) + " 0 " +
                       std::to_string(-recipe.descent) + "\n";
    std::vector<std::string> properties = {"FOUNDRY \"Test\"",
                                           "FAMILY_NAME \"" + recipe.family + "\"",
                                           "WEIGHT_NAME \"" + recipe.weight + "\"",
                                           "SLANT \"" + recipe.slant + "\"",
                                           "SETWIDTH_NAME \"Normal\"",
                                           "ADD_STYLE_NAME \"\"",
                                           "PIXEL_SIZE " + std::to_string(recipe.pixel_size),
                                           "POINT_SIZE " + std::to_string(recipe.pixel_size * 10),
                                           "RESOLUTION_X 75",
                                           "RESOLUTION_Y 75",
                                           "AVERAGE_WIDTH " + std::to_string(recipe.width * 10),
                                           "CHARSET_REGISTRY \"" + recipe.registry + "\"",
                                           "CHARSET_ENCODING \"" + recipe.encoding + "\"",
                                           "FONT_ASCENT " + std::to_string(ascent),
                                           "FONT_DESCENT " + std::to_string(recipe.descent),
                                           "DEFAULT_CHAR 32"};
    if (recipe.spacing) properties.push_back(std::string("SPACING \"") + recipe.spacing + "\"");
    font += "STARTPROPERTIES " + std::to_string(properties.size()) + "\n";
    for (const std::string& property : properties)
        font += property + "\n";
    font += "ENDPROPERTIES\nCHARS " + std::to_string(codes.size()) + "\n" + glyphs + "ENDFONT\n";
    return font;
}

}  // namespace glyph::test
