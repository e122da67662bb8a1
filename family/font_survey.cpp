#include "font_survey.hpp"

#include <charconv>
#include <cstring>
#include <optional>
#include <vector>

namespace glyph::family {
namespace {

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// The words of a line after its keyword, numbers read in decimal.
class Words {
  public:
    explicit Words(std::string_view rest) : p_(rest.data()), end_(rest.data() + rest.size()) {}
    std::optional<std::int64_t> number() {
        skip();
        std::int64_t value = 0;
        const auto [next, error] = std::from_chars(p_, end_, value);
        if (error != std::errc() || next == p_) return std::nullopt;
        p_ = next;
        return value;
    }
    // A property value: a quoted string ("" stands for one quote) or a word.
    std::string string() {
        skip();
        std::string value;
        if (p_ < end_ && *p_ == '"') {
            for (++p_; p_ < end_; ++p_) {
                if (*p_ == '"') {
                    if (p_ + 1 < end_ && p_[1] == '"') {
                        value += '"';
                        ++p_;
                        continue;
                    }
                    break;
                }
                value += *p_;
            }
            return value;
        }
        while (p_ < end_ && !blank(*p_))
            value += *p_++;
        return value;
    }

  private:
    void skip() {
        while (p_ < end_ && blank(*p_))
            ++p_;
    }
    const char* p_;
    const char* end_;
};

std::optional<Box> read_box(Words words) {
    Box box;
    for (std::int64_t* field : {&box.width, &box.height, &box.x, &box.y}) {
        const auto value = words.number();
        if (!value) return std::nullopt;
        *field = *value;
    }
    return box;
}

// Field `index` of an XLFD name ("-Foundry-Family-..."), or empty.
std::string xlfd_field(std::string_view name, int index) {
    for (int i = 0; i <= index; ++i) {
        const std::size_t dash = name.find('-');
        if (dash == std::string_view::npos) return {};
        name.remove_prefix(dash + 1);
    }
    return std::string(name.substr(0, name.find('-')));
}

}  // namespace

SurveyResult survey_font(std::string_view text) {
    SurveyResult result;
    FontSurvey& font = result.font;
    std::string xlfd;
    std::optional<std::int64_t> pixel_size, default_advance, advance;
    std::optional<Box> font_box, glyph_box;
    std::string spacing;
    std::vector<std::int64_t> advances;  // the distinct ones, at most two
    bool started = false, in_glyph = false;

    // A glyph's box and advance are known at its ENDCHAR.
    const auto end_glyph = [&] {
        ++font.glyphs;
        const std::optional<std::int64_t> width = advance ? advance : default_advance;
        if (width) {
            if (advances.empty() || (advances.size() == 1 && advances[0] != *width))
                advances.push_back(*width);
        }
        if (glyph_box && glyph_box->width > 0 && glyph_box->height > 0 &&
            (glyph_box->x < 1 || glyph_box->x + glyph_box->width > width.value_or(0)))
            font.widened_boxes_fit = false;
    };

    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        const std::size_t key_end = std::min(line.size(), line.find_first_of(" \t\r"));
        const std::string_view key = line.substr(0, key_end);
        const Words rest(line.substr(key_end));
        if (!started) {
            if (key.empty()) continue;
            if (key != "STARTFONT") break;
            started = true;
            continue;
        }
        if (in_glyph) {
            // Bitmap rows are most of the text; only these keywords matter.
            if (key == "BBX") {
                glyph_box = read_box(rest);
            } else if (key == "DWIDTH") {
                advance = Words(rest).number();
            } else if (key == "ENDCHAR") {
                end_glyph();
                in_glyph = false;
            }
            continue;
        }
        if (key == "STARTCHAR") {
            in_glyph = true;
            advance.reset();
            glyph_box = font_box;
        } else if (key == "FONT") {
            xlfd = Words(rest).string();
        } else if (key == "FONTBOUNDINGBOX") {
            font_box = read_box(rest);
        } else if (key == "DWIDTH") {
            default_advance = Words(rest).number();
        } else if (key == "FAMILY_NAME") {
            font.family = Words(rest).string();
        } else if (key == "CHARSET_REGISTRY") {
            font.registry = Words(rest).string();
        } else if (key == "CHARSET_ENCODING") {
            font.encoding = Words(rest).string();
        } else if (key == "SPACING") {
            spacing = Words(rest).string();
        } else if (key == "PIXEL_SIZE") {
            pixel_size = Words(rest).number();
        }
    }
    if (!started) {
        result.error = "not a BDF font (no STARTFONT line)";
        return result;
    }
    if (!font_box) {
        result.error = "no readable FONTBOUNDINGBOX line";
        return result;
    }
    font.font_box = *font_box;
    font.pixel_size = pixel_size.value_or(font_box->height);
    if (font.family.empty()) font.family = xlfd_field(xlfd, 1);
    if (font.registry.empty()) font.registry = xlfd_field(xlfd, 12);
    if (font.encoding.empty()) font.encoding = xlfd_field(xlfd, 13);
    if (spacing == "C" || spacing == "c")
        font.spacing = Spacing::cell;
    else if (spacing == "M" || spacing == "m")
        font.spacing = Spacing::monospaced;
    else if (spacing.empty() && advances.size() < 2)
        font.spacing = Spacing::monospaced;
    else
        font.spacing = Spacing::proportional;
    return result;
}

std::string charset(const FontSurvey& font) {
    return font.registry + "-" + font.encoding;
}

}  // namespace glyph::family
