// The three keywords of a font's glyph section. A line is examined for one
// only when it begins with an ASCII letter; its keyword is then its first
// white-space-delimited token as a C string reads it.
#pragma once

#include <cstring>
#include <string_view>

#include "line_reader.hpp"
#include "text_scan.hpp"

namespace glyph {

enum class GlyphKeyword { none, bbx, bitmap, endchar };

// Whether the line's first token, read as a C string, is `keyword`.
inline bool has_keyword(const Line& line, std::string_view keyword) {
    if (line.size < keyword.size() || std::memcmp(line.data, keyword.data(), keyword.size()) != 0)
        return false;
    if (line.size == keyword.size()) return true;
    const char after = line.data[keyword.size()];
    return after == '\0' || is_space(after);
}

// Every glyph keyword begins with B or E.
inline bool may_be_glyph_keyword(char first) {
    return first == 'B' || first == 'E';
}

inline GlyphKeyword glyph_keyword(const Line& line) {
    switch (line.data[0]) {
        case 'B':
            if (has_keyword(line, "BBX")) return GlyphKeyword::bbx;
            return has_keyword(line, "BITMAP") ? GlyphKeyword::bitmap : GlyphKeyword::none;
        case 'E':
            return has_keyword(line, "ENDCHAR") ? GlyphKeyword::endchar : GlyphKeyword::none;
        default:
            return GlyphKeyword::none;
    }
}

}  // namespace glyph
