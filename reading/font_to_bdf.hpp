// A bitmap font FreeType reads (OpenType bitmap, PCF, .pcf.gz, BDF) as one
// BDF 2.1 font per strike: what glyphbdf writes, callable in-process.
// Failures come as FontError (one line of text), MemoryExhausted (core's
// allocation cap) or IoFailure (from the sink).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bitmap_font.hpp"
#include "byte_io.hpp"

namespace glyph::reading {

// The strikes of the font in `path`.
std::vector<StrikeInfo> list_strikes(const std::string& path);

// Writes the strike of `pixel_size` pixels (or the only one) of `font` as BDF
// to `out`, which is flushed. Nothing is written when the strike cannot be
// read.
void write_strike_bdf(BitmapFont& font, std::optional<int> pixel_size, ByteSink& out);

// The same for the font in `path`, as one string.
std::string font_to_bdf(const std::string& path, std::optional<int> pixel_size);

}  // namespace glyph::reading
