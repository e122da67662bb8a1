// BDF fonts built in memory for the OpenType writer's tests: glyphs drawn as
// text pictures, or drawn at random with every shape a font may hold (no
// ink, ink off the box's edges, boxes left of and below the origin, wide
// glyphs).
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "bdf_font.hpp"
#include "otb_writer.hpp"

namespace glyph::test {

struct Picture {
    char32_t code = 0;
    std::int64_t advance = 0;
    std::int64_t x = 0, y = 0;      // BBX offsets
    std::vector<std::string> rows;  // '#' ink, anything else none; top row first
};

inline family::BdfGlyph glyph_of(const Picture& picture) {
    family::BdfGlyph glyph;
    glyph.name = "g" + std::to_string(static_cast<unsigned long>(picture.code));
    glyph.encoding = static_cast<std::int64_t>(picture.code);
    glyph.dwidth_x = picture.advance;
    glyph.box.height = static_cast<std::int64_t>(picture.rows.size());
    glyph.box.width =
        picture.rows.empty() ? 0 : static_cast<std::int64_t>(picture.rows.front().size());
    glyph.box.x = picture.x;
    glyph.box.y = picture.y;
    glyph.row_bytes = static_cast<std::size_t>(glyph.box.width + 7) / 8;
    glyph.rows.assign(glyph.row_bytes * picture.rows.size(), 0);
    for (std::size_t r = 0; r < picture.rows.size(); ++r)
        for (std::size_t c = 0; c < picture.rows[r].size(); ++c)
            if (picture.rows[r][c] == '#')
                glyph.rows[r * glyph.row_bytes + c / 8] |=
                    static_cast<std::uint8_t>(0x80 >> (c % 8));
    return glyph;
}

inline family::BdfFont font_of(const std::string& name, std::int64_t pixel_size,
                               std::int64_t descent, const std::vector<Picture>& pictures,
                               std::vector<family::BdfProperty> extra = {}) {
    family::BdfFont font;
    font.name = name;
    font.point_size = pixel_size;
    font.resolution_x = font.resolution_y = 72;
    font.font_box = {8, pixel_size, 0, -descent};
    font.properties = {{"PIXEL_SIZE", std::to_string(pixel_size), false},
                       {"FONT_ASCENT", std::to_string(pixel_size - descent), false},
                       {"FONT_DESCENT", std::to_string(descent), false},
                       {"CHARSET_REGISTRY", "ISO10646", true},
                       {"CHARSET_ENCODING", "1", true}};
    font.properties.insert(font.properties.end(), extra.begin(), extra.end());
    for (const Picture& picture : pictures)
        font.glyphs.push_back(glyph_of(picture));
    font.chars = static_cast<std::int64_t>(font.glyphs.size());
    return font;
}

// A font of `codes` drawn at random at `pixel_size`: about one glyph in six
// without ink (no box, or a box of clear pixels), boxes up to `max_width`
// wide and reaching left of the origin and below the baseline.
// With `cell` > 0 every advance is `cell` and every box lies in its cell.
inline family::BdfFont random_font(unsigned seed, std::int64_t pixel_size,
                                   const std::vector<char32_t>& codes, int max_width = 12,
                                   int cell = 0) {
    std::mt19937 random(seed);
    const auto pick = [&](std::int64_t low, std::int64_t high) {
        return std::uniform_int_distribution<std::int64_t>(low, high)(random);
    };
    const std::int64_t descent = pixel_size / 4;
    std::vector<Picture> pictures;
    for (const char32_t code : codes) {
        Picture p;
        p.code = code;
        p.advance = cell > 0 ? cell : pick(0, max_width);
        const int kind = static_cast<int>(pick(0, 5));
        if (kind == 0) {  // no box at all
            pictures.push_back(p);
            continue;
        }
        const int slack = cell > 0 ? 0 : 2;
        const std::int64_t width = pick(1, cell > 0 ? cell : max_width),
                           height = pick(1, pixel_size + slack);
        p.x = cell > 0 ? pick(0, cell - width) : pick(-3, 3);
        p.y = pick(-descent - slack, pixel_size - descent - height + slack);
        for (std::int64_t r = 0; r < height; ++r) {
            std::string row;
            for (std::int64_t c = 0; c < width; ++c)
                row += kind != 1 && pick(0, 3) == 0 ? '#' : '.';
            p.rows.push_back(row);
        }
        pictures.push_back(p);
    }
    return font_of(
        "-Test-Random-Medium-R-Normal--" + std::to_string(pixel_size) + "-" + std::to_string(seed),
        pixel_size, descent, pictures);
}

// Every glyph of `font` under its own encoding, ascending: the identity map
// of an ISO10646 font.
inline otb::OtbStrike identity_strike(const family::BdfFont& font) {
    otb::OtbStrike strike;
    strike.font = &font;
    for (std::size_t i = 0; i < font.glyphs.size(); ++i)
        strike.chars.emplace_back(static_cast<char32_t>(font.glyphs[i].encoding), i);
    std::sort(strike.chars.begin(), strike.chars.end());
    return strike;
}

}  // namespace glyph::test
