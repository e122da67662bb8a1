#include "font_to_bdf.hpp"

#include "bdf_header.hpp"
#include "bdf_writer.hpp"
#include "strike_glyphs.hpp"

namespace glyph::reading {

std::vector<StrikeInfo> list_strikes(const std::string& path) {
    return BitmapFont::open_file(path).strikes();
}

void write_strike_bdf(BitmapFont& font, std::optional<int> pixel_size, ByteSink& out) {
    font.select_strike(pixel_size);
    const StrikeGlyphs glyphs = read_strike_glyphs(font);
    write_bdf_text(font, glyphs, make_bdf_header(font, glyphs), out);
    out.flush();
}

std::string font_to_bdf(const std::string& path, std::optional<int> pixel_size) {
    BitmapFont font = BitmapFont::open_file(path);
    StringSink out(1 << 16);
    write_strike_bdf(font, pixel_size, out);
    return out.text();
}

}  // namespace glyph::reading
