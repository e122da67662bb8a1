// One OpenType file of bitmap strikes (EBLC/EBDT) from BDF faces of one
// family and style, one strike per face, every byte a function of the input.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "bdf_font.hpp"
#include "font_survey.hpp"

namespace glyph::otb {

struct OtbStyle {
    std::string family;  // name ID 1
    bool bold = false;
    bool slanted = false;
    std::int64_t rows_per_step = 0;  // of a slanted face: italicAngle is -atan(1/N)
    family::Spacing spacing = family::Spacing::proportional;
    std::string version = "Version 1.000";
    std::int64_t date = 0;  // seconds since 1970: head created and modified
};

struct OtbStrike {
    const family::BdfFont* font = nullptr;
    // Unicode code point -> index into font->glyphs, ascending by code point,
    // each code point once. Every strike of a file lists the same code points.
    std::vector<std::pair<char32_t, std::size_t>> chars;
};

struct OtbResult {
    std::vector<std::uint8_t> bytes;
    std::string error;  // what the file cannot hold, naming the font and glyph
};

OtbResult write_otb(const std::vector<OtbStrike>& strikes, const OtbStyle& style);

}  // namespace glyph::otb
