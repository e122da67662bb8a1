// A whole BDF font held in memory: what glyphfamily checks before any work
// and what the OpenType writer reads. Read through the shared line reader.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glyph::family {

// A box as BBX and FONTBOUNDINGBOX lines give it.
struct Box {
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t x = 0;
    std::int64_t y = 0;
    friend bool operator==(const Box&, const Box&) = default;
};

struct BdfProperty {
    std::string name;
    std::string value;    // a string's text without its quotes ("" read as one quote)
    bool quoted = false;  // written as a string
};

struct BdfGlyph {
    std::string name;            // STARTCHAR's
    std::int64_t encoding = -1;  // ENCODING's first number; -1 when none or unmapped
    std::int64_t swidth_x = 0, swidth_y = 0;
    std::int64_t dwidth_x = 0, dwidth_y = 0;  // the font's DWIDTH when the glyph has none
    Box box;                                  // BBX, else the font box
    std::size_t row_bytes = 0;                // (box.width + 7) / 8
    std::vector<std::uint8_t> rows;  // box.height rows of row_bytes, bits past the width clear

    bool pixel(std::int64_t column, std::int64_t row) const {
        return (rows[static_cast<std::size_t>(row) * row_bytes +
                     static_cast<std::size_t>(column / 8)] >>
                (7 - column % 8)) &
               1;
    }
};

struct BdfFont {
    std::string name;                                                 // the FONT line's name
    std::int64_t point_size = 0, resolution_x = 0, resolution_y = 0;  // SIZE
    Box font_box;
    // The widths a glyph without SWIDTH or DWIDTH lines takes.
    std::int64_t swidth_x = 0, swidth_y = 0, dwidth_x = 0, dwidth_y = 0;
    std::vector<BdfProperty> properties;  // in the order written
    std::int64_t chars = 0;               // as CHARS says
    std::vector<BdfGlyph> glyphs;         // in the order written

    const BdfProperty* property(std::string_view name) const;
    // A property's text (a string's text, or an integer as written), or empty.
    std::string text(std::string_view name) const;
    std::optional<std::int64_t> integer(std::string_view name) const;
};

// The font, or `error` saying what makes the text no whole BDF font (no
// STARTFONT, no FONTBOUNDINGBOX, a glyph without ENDCHAR, a glyph count other
// than CHARS says, no ENDFONT, ...), with the line number where it helps.
struct BdfReadResult {
    BdfFont font;
    std::string error;
};
BdfReadResult read_bdf_font(std::string_view text);

}  // namespace glyph::family
