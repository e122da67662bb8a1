#include "charset_copy.hpp"

namespace glyph::family {

std::string as_iso10646(std::string_view font) {
    std::string copy;
    copy.reserve(font.size() + 16);
    std::size_t at = 0;
    while (at < font.size()) {
        std::size_t end = font.find('\n', at);
        end = end == std::string_view::npos ? font.size() : end + 1;
        std::string_view line = font.substr(at, end - at);
        at = end;
        std::size_t body = line.size();
        while (body > 0 && (line[body - 1] == '\n' || line[body - 1] == '\r'))
            --body;
        const std::string_view text = line.substr(0, body), line_end = line.substr(body);
        if (text.starts_with("CHARSET_REGISTRY ")) {
            copy += "CHARSET_REGISTRY \"ISO10646\"";
            copy += line_end;
            continue;
        }
        if (text.starts_with("FONT ")) {
            const std::size_t last = text.rfind('-');
            const std::size_t before = last == 0 || last == std::string_view::npos
                                           ? std::string_view::npos
                                           : text.rfind('-', last - 1);
            if (before != std::string_view::npos && text.find('-') < before) {
                copy += text.substr(0, before + 1);
                copy += "ISO10646-1";
                copy += line_end;
                continue;
            }
        }
        copy += line;
        // The glyphs hold no charset: the rest goes as it is.
        if (text == "ENDPROPERTIES") {
            copy += font.substr(at);
            break;
        }
    }
    return copy;
}

}  // namespace glyph::family
