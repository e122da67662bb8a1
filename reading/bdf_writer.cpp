#include "bdf_writer.hpp"

#include <charconv>
#include <cstdint>
#include <string_view>

#include "glyph_names.hpp"

namespace glyph::reading {
namespace {

class BdfText {
  public:
    explicit BdfText(ByteSink& out) : out_(out) {}

    BdfText& word(std::string_view text) {
        out_.put(text);
        return *this;
    }
    // Text from the font, kept to its line: a control character would end
    // the line or hide in it.
    BdfText& text(std::string_view text) {
        for (char c : text)
            out_.put(static_cast<unsigned char>(c) < ' ' ? ' ' : c);
        return *this;
    }
    BdfText& number(std::int64_t value) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        out_.put(' ');
        out_.put(digits, static_cast<std::size_t>(end - digits));
        return *this;
    }
    // A string as BDF writes it: in quotes, a quote inside doubled.
    BdfText& quoted(std::string_view text) {
        out_.put(" \"");
        for (char c : text) {
            if (c == '"') out_.put('"');
            out_.put(static_cast<unsigned char>(c) < ' ' ? ' ' : c);
        }
        out_.put('"');
        return *this;
    }
    void end() { out_.put('\n'); }

    void hex_row(const std::uint8_t* row, std::size_t bytes) {
        static constexpr char DIGITS[] = "0123456789ABCDEF";
        for (std::size_t i = 0; i < bytes; ++i) {
            out_.put(DIGITS[row[i] >> 4]);
            out_.put(DIGITS[row[i] & 15]);
        }
        out_.put('\n');
    }

  private:
    ByteSink& out_;
};

void write_head(BdfText& t, const BdfHeader& h, std::size_t chars) {
    t.word("STARTFONT 2.1").end();
    t.word("FONT ").text(h.font_name).end();
    t.word("SIZE").number(h.point_size).number(h.resolution_x).number(h.resolution_y).end();
    t.word("FONTBOUNDINGBOX")
        .number(h.box_width)
        .number(h.box_height)
        .number(h.box_x)
        .number(h.box_y)
        .end();
    t.word("STARTPROPERTIES").number(static_cast<std::int64_t>(h.properties.size())).end();
    for (const Property& p : h.properties) {
        t.word(p.name);
        if (p.quoted)
            t.quoted(p.text);
        else
            t.number(p.number);
        t.end();
    }
    t.word("ENDPROPERTIES").end();
    t.word("CHARS").number(static_cast<std::int64_t>(chars)).end();
}

}  // namespace

void write_bdf_text(const BitmapFont& font, const StrikeGlyphs& glyphs, const BdfHeader& header,
                    ByteSink& out) {
    BdfText t(out);
    write_head(t, header, glyphs.count);
    for (std::size_t i = 0; i < glyphs.count; ++i) {
        const StrikeGlyph& g = glyphs.glyphs[i];
        const GlyphPicture& p = glyphs.pictures[g.picture];
        t.word("STARTCHAR ")
            .word(glyph_name(font.face(), g.index, g.encoding, glyphs.unicode))
            .end();
        t.word("ENCODING").number(g.encoding).end();
        t.word("SWIDTH").number(header.swidth(p.advance)).number(0).end();
        t.word("DWIDTH").number(p.advance).number(0).end();
        t.word("BBX").number(p.width).number(p.rows).number(p.left).number(p.top - p.rows).end();
        t.word("BITMAP").end();
        const std::uint8_t* rows = glyphs.rows(p);
        for (int r = 0; r < p.rows; ++r)
            t.hex_row(rows + static_cast<std::size_t>(r) * p.row_bytes, p.row_bytes);
        t.word("ENDCHAR").end();
    }
    t.word("ENDFONT").end();
}

}  // namespace glyph::reading
