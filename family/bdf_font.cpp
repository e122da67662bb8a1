#include "bdf_font.hpp"

#include <charconv>
#include <string>

#include "byte_io.hpp"
#include "hex_digits.hpp"
#include "line_reader.hpp"
#include "text_scan.hpp"

namespace glyph::family {
namespace {

// Fonts stored as PCF hold their metrics in 16 bits: a glyph larger than this
// is no font, and a few bytes of text must not claim gigabytes of bitmap.
constexpr std::int64_t MAX_BOX_SIDE = 32767;

// Lines as long as a real font's longest (a COMMENT, a property) arrive
// whole from the shared reader; a longer one arrives in pieces, which are
// joined here.
constexpr std::size_t READER_LINE_SIZE = std::size_t{1} << 16;

// A line's text as the filters read it: up to a NUL byte, without its line end.
std::string_view line_text(std::string_view line) {
    if (const std::size_t nul = line.find('\0'); nul != std::string_view::npos)
        line = line.substr(0, nul);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    return line;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && is_space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_space(text.back()))
        text.remove_suffix(1);
    return text;
}

// A whole token read as a decimal integer ("+5" and "-5" too).
std::optional<std::int64_t> integer_of(std::string_view token) {
    if (token.size() > 1 && token[0] == '+') token.remove_prefix(1);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (error != std::errc() || end != token.data() + token.size()) return std::nullopt;
    return value;
}

// Reads `count` integers of a line's fields into `out`; false when any is
// missing or is not a number.
bool read_integers(FieldScanner& fields, std::int64_t* const* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        std::string_view token;
        if (!fields.token(token)) return false;
        const std::optional<std::int64_t> value = integer_of(token);
        if (!value) return false;
        *out[i] = *value;
    }
    return true;
}

// A property's value: a string in quotes ("" stands for one quote; an
// unclosed string runs to the end of the line), else the rest of the line.
void read_property_value(std::string_view rest, BdfProperty& property) {
    rest = trimmed(rest);
    if (rest.empty() || rest.front() != '"') {
        property.value = std::string(rest);
        return;
    }
    property.quoted = true;
    for (std::size_t i = 1; i < rest.size(); ++i) {
        if (rest[i] == '"') {
            if (i + 1 < rest.size() && rest[i + 1] == '"') {
                property.value += '"';
                ++i;
                continue;
            }
            return;
        }
        property.value += rest[i];
    }
}

// One bitmap row: the first 2 * row_bytes characters are its digits, a
// character that is no hex digit and a digit past the end reading as 0.
void read_row(std::string_view text, std::size_t row_bytes, std::uint8_t last_mask,
              std::uint8_t* row) {
    const std::size_t digits = std::min(text.size(), 2 * row_bytes);
    std::size_t b = 0;
    for (; 2 * b + 1 < digits; ++b)
        row[b] = static_cast<std::uint8_t>(hex_value(static_cast<unsigned char>(text[2 * b])) << 4 |
                                           hex_value(static_cast<unsigned char>(text[2 * b + 1])));
    if (2 * b < digits) {
        row[b] = static_cast<std::uint8_t>(hex_value(static_cast<unsigned char>(text[2 * b])) << 4);
        ++b;
    }
    for (; b < row_bytes; ++b)
        row[b] = 0;
    if (row_bytes > 0) row[row_bytes - 1] &= last_mask;
}

class FontReader {
  public:
    explicit FontReader(std::string_view text) : source_(text), lines_(source_, READER_LINE_SIZE) {}

    BdfReadResult read() {
        BdfReadResult result;
        result.error = read_all(result.font);
        return result;
    }

  private:
    enum class Part { before, header, properties, glyphs, glyph, bitmap, done };

    // The next whole line's text, or false at the end of the text.
    bool next_line(std::string_view& text) {
        Line piece;
        if (!lines_.next(piece)) return false;
        ++line_number_;
        if (piece.view().back() == '\n') {
            text = line_text(piece.view());
            return true;
        }
        long_line_.assign(piece.view());
        while (long_line_.back() != '\n' && lines_.next(piece))
            long_line_.append(piece.view());
        text = line_text(long_line_);
        return true;
    }

    std::string at_line(const std::string& what) const {
        return "line " + std::to_string(line_number_) + ": " + what;
    }

    std::string read_all(BdfFont& font) {
        std::string_view text;
        while (next_line(text)) {
            const std::string_view key = line_keyword(text);
            FieldScanner fields(text.substr(key.size()));
            std::string problem;
            switch (part_) {
                case Part::before:
                    if (key.empty()) continue;
                    if (key != "STARTFONT") return "not a BDF font (no STARTFONT line)";
                    part_ = Part::header;
                    break;
                case Part::header:
                    problem = header_line(font, key, text, fields);
                    break;
                case Part::properties:
                    property_line(font, key, text);
                    break;
                case Part::glyphs:
                    problem = between_glyphs(font, key, text);
                    break;
                case Part::glyph:
                    problem = glyph_line(font, key, fields);
                    break;
                case Part::bitmap:
                    problem = bitmap_line(font, key, text);
                    break;
                case Part::done:
                    break;
            }
            if (!problem.empty()) return problem;
            if (part_ == Part::done) break;
        }
        return ending(font);
    }

    std::string header_line(BdfFont& font, std::string_view key, std::string_view text,
                            FieldScanner& fields) {
        if (key == "FONT") {
            font.name = std::string(trimmed(text.substr(key.size())));
        } else if (key == "SIZE") {
            std::int64_t* const size[] = {&font.point_size, &font.resolution_x, &font.resolution_y};
            if (!read_integers(fields, size, 3))
                return at_line("SIZE needs three numbers: " + std::string(text));
        } else if (key == "FONTBOUNDINGBOX") {
            if (!read_box(fields, font.font_box))
                return at_line("no readable FONTBOUNDINGBOX: " + std::string(text));
            font_box_read_ = true;
        } else if (key == "STARTPROPERTIES") {
            part_ = Part::properties;
        } else if (key == "DWIDTH" || key == "SWIDTH") {
            const bool device = key == "DWIDTH";
            if (!read_width(fields, device ? font.dwidth_x : font.swidth_x,
                            device ? font.dwidth_y : font.swidth_y))
                return at_line(std::string(key) + " needs a number: " + std::string(text));
        } else if (key == "CHARS") {
            std::int64_t* const chars[] = {&font.chars};
            if (!read_integers(fields, chars, 1) || font.chars < 0)
                return at_line("CHARS needs a count of glyphs: " + std::string(text));
            if (!font_box_read_) return "no readable FONTBOUNDINGBOX line before CHARS";
            chars_read_ = true;
            // Most fonts tell their count truly; a false one costs a reallocation.
            font.glyphs.reserve(
                static_cast<std::size_t>(std::min<std::int64_t>(font.chars, 1 << 17)));
            part_ = Part::glyphs;
        } else if (key == "STARTCHAR" || key == "ENDFONT") {
            return at_line(std::string(key) + " before CHARS");
        }
        return {};
    }

    void property_line(BdfFont& font, std::string_view key, std::string_view text) {
        if (key.empty() || key == "COMMENT") return;
        if (key == "ENDPROPERTIES") {
            part_ = Part::header;
            return;
        }
        BdfProperty& property = font.properties.emplace_back();
        property.name = std::string(key);
        read_property_value(text.substr(key.size()), property);
    }

    std::string between_glyphs(BdfFont& font, std::string_view key, std::string_view text) {
        if (key == "ENDFONT") {
            part_ = Part::done;
            ended_ = true;
        } else if (key == "STARTCHAR") {
            BdfGlyph& glyph = font.glyphs.emplace_back();
            glyph.name = std::string(trimmed(text.substr(key.size())));
            glyph.swidth_x = font.swidth_x;
            glyph.swidth_y = font.swidth_y;
            glyph.dwidth_x = font.dwidth_x;
            glyph.dwidth_y = font.dwidth_y;
            glyph.box = font.font_box;
            glyph_line_ = line_number_;
            part_ = Part::glyph;
        }
        return {};
    }

    std::string glyph_line(BdfFont& font, std::string_view key, FieldScanner& fields) {
        BdfGlyph& glyph = font.glyphs.back();
        if (key == "ENCODING") {
            std::int64_t code = -1;
            std::int64_t* const encoding[] = {&code};
            if (!read_integers(fields, encoding, 1))
                return at_line("ENCODING of glyph " + glyph.name + " is no number");
            glyph.encoding = code < 0 ? -1 : code;
        } else if (key == "SWIDTH" || key == "DWIDTH") {
            const bool device = key == "DWIDTH";
            if (!read_width(fields, device ? glyph.dwidth_x : glyph.swidth_x,
                            device ? glyph.dwidth_y : glyph.swidth_y))
                return at_line(std::string(key) + " of glyph " + glyph.name + " is no number");
        } else if (key == "BBX") {
            if (!read_box(fields, glyph.box))
                return at_line("BBX of glyph " + glyph.name + " needs four numbers");
        } else if (key == "BITMAP") {
            return start_bitmap(glyph);
        } else if (key == "ENDCHAR") {
            return end_glyph(glyph);
        } else if (key == "STARTCHAR" || key == "ENDFONT") {
            return no_endchar(glyph);
        }
        return {};
    }

    std::string start_bitmap(BdfGlyph& glyph) {
        if (glyph.box.width < 0 || glyph.box.height < 0)
            return at_line("glyph " + glyph.name + " has a negative size in its BBX");
        if (glyph.box.width > MAX_BOX_SIDE || glyph.box.height > MAX_BOX_SIDE)
            return at_line("glyph " + glyph.name + " is larger than " +
                           std::to_string(MAX_BOX_SIDE) + " pixels");
        glyph.row_bytes = static_cast<std::size_t>((glyph.box.width + 7) / 8);
        const unsigned used = static_cast<unsigned>(glyph.box.width % 8);
        last_mask_ = used == 0 ? 0xff : static_cast<std::uint8_t>(0xff00u >> used);
        const std::size_t bytes = glyph.row_bytes * static_cast<std::size_t>(glyph.box.height);
        // Rows are added as they come: a box that claims more than its text
        // holds is refused at ENDCHAR without having been allocated.
        glyph.rows.reserve(std::min<std::size_t>(bytes, 1 << 16));
        rows_read_ = 0;
        part_ = Part::bitmap;
        return {};
    }

    std::string bitmap_line(BdfFont& font, std::string_view key, std::string_view text) {
        BdfGlyph& glyph = font.glyphs.back();
        if (key == "ENDCHAR") return end_glyph(glyph);
        if (key == "STARTCHAR" || key == "ENDFONT") return no_endchar(glyph);
        // Rows past the box's height are not the glyph's.
        if (rows_read_ >= glyph.box.height) return {};
        ++rows_read_;
        if (glyph.row_bytes == 0) return {};
        const std::size_t at = glyph.rows.size();
        glyph.rows.resize(at + glyph.row_bytes);
        read_row(text, glyph.row_bytes, last_mask_, glyph.rows.data() + at);
        return {};
    }

    std::string end_glyph(BdfGlyph& glyph) {
        if (glyph.box.width < 0 || glyph.box.height < 0)
            return at_line("glyph " + glyph.name + " has a negative size in its BBX");
        if (part_ == Part::glyph && glyph.box.height > 0 && glyph.box.width > 0)
            return at_line("glyph " + glyph.name + " has no BITMAP");
        if (part_ == Part::glyph) {
            // An empty glyph may have no bitmap at all.
            glyph.row_bytes = static_cast<std::size_t>((glyph.box.width + 7) / 8);
            rows_read_ = glyph.box.height;
        }
        if (rows_read_ < glyph.box.height)
            return at_line("glyph " + glyph.name + " has " + std::to_string(rows_read_) +
                           " bitmap row" + (rows_read_ == 1 ? "" : "s") + ", but its BBX is " +
                           std::to_string(glyph.box.height) + " high");
        part_ = Part::glyphs;
        return {};
    }

    std::string no_endchar(const BdfGlyph& glyph) const {
        return "glyph " + glyph.name + " (line " + std::to_string(glyph_line_) + ") has no ENDCHAR";
    }

    // A width's horizontal part; the vertical one may be left out.
    static bool read_width(FieldScanner& fields, std::int64_t& x, std::int64_t& y) {
        std::int64_t* const horizontal[] = {&x};
        if (!read_integers(fields, horizontal, 1)) return false;
        std::int64_t* const vertical[] = {&y};
        if (!read_integers(fields, vertical, 1)) y = 0;
        return true;
    }

    static bool read_box(FieldScanner& fields, Box& box) {
        std::int64_t* const sides[] = {&box.width, &box.height, &box.x, &box.y};
        return read_integers(fields, sides, 4);
    }

    std::string ending(const BdfFont& font) const {
        switch (part_) {
            case Part::before:
                return "not a BDF font (no STARTFONT line)";
            case Part::header:
            case Part::properties:
                if (!font_box_read_) return "no readable FONTBOUNDINGBOX line";
                if (!chars_read_) return "no CHARS line";
                break;
            case Part::glyph:
            case Part::bitmap:
                // A file cut short: how much of it came.
                return no_endchar(font.glyphs.back()) + ": the text ends at line " +
                       std::to_string(line_number_) + " (CHARS " + std::to_string(font.chars) +
                       ", " + std::to_string(font.glyphs.size() - 1) + " whole glyphs)";
            case Part::glyphs:
            case Part::done:
                break;
        }
        const std::size_t count = font.glyphs.size();
        if (static_cast<std::size_t>(font.chars) != count) {
            std::string message = "CHARS " + std::to_string(font.chars) + ", but " +
                                  std::to_string(count) + " glyph" + (count == 1 ? "" : "s");
            if (!ended_)
                message +=
                    " (the text ends at line " + std::to_string(line_number_) + " without ENDFONT)";
            return message;
        }
        if (!ended_)
            return "no ENDFONT line (the text ends at line " + std::to_string(line_number_) + ")";
        return {};
    }

    MemorySource source_;
    LineReader lines_;
    std::string long_line_;
    std::size_t line_number_ = 0;
    std::size_t glyph_line_ = 0;
    std::int64_t rows_read_ = 0;  // of the glyph being read, up to its height
    std::uint8_t last_mask_ = 0xff;
    Part part_ = Part::before;
    bool font_box_read_ = false;
    bool chars_read_ = false;
    bool ended_ = false;
};

}  // namespace

const BdfProperty* BdfFont::property(std::string_view wanted) const {
    for (const BdfProperty& p : properties)
        if (p.name == wanted) return &p;
    return nullptr;
}

std::string BdfFont::text(std::string_view wanted) const {
    const BdfProperty* p = property(wanted);
    return p ? p->value : std::string();
}

std::optional<std::int64_t> BdfFont::integer(std::string_view wanted) const {
    const BdfProperty* p = property(wanted);
    if (!p || p->quoted) return std::nullopt;
    FieldScanner fields(p->value);
    std::string_view token;
    if (!fields.token(token)) return std::nullopt;
    return integer_of(token);
}

BdfReadResult read_bdf_font(std::string_view text) {
    return FontReader(text).read();
}

}  // namespace glyph::family
