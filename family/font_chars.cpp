#include "font_chars.hpp"

#include <algorithm>

namespace glyph::family {

FontChars font_chars(const BdfFont& font, const CharsetMap& map, bool unicode_font) {
    FontChars result;
    result.chars.reserve(font.glyphs.size());
    for (std::size_t i = 0; i < font.glyphs.size(); ++i) {
        const BdfGlyph& glyph = font.glyphs[i];
        if (glyph.encoding < 0) continue;
        if (unicode_font && glyph.encoding > 0x10FFFF) {
            result.error = font.name + ": glyph " + glyph.name + " has ENCODING " +
                           std::to_string(glyph.encoding) + ", beyond Unicode's U+10FFFF";
            return result;
        }
        if (const std::optional<char32_t> code = map.unicode(glyph.encoding))
            result.chars.emplace_back(*code, i);
    }
    std::stable_sort(result.chars.begin(), result.chars.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    result.chars.erase(std::unique(result.chars.begin(), result.chars.end(),
                                   [](const auto& a, const auto& b) { return a.first == b.first; }),
                       result.chars.end());
    return result;
}

std::vector<char32_t> code_points(const FontChars& chars) {
    std::vector<char32_t> points;
    points.reserve(chars.chars.size());
    for (const auto& [code, glyph] : chars.chars)
        points.push_back(code);
    return points;
}

}  // namespace glyph::family
