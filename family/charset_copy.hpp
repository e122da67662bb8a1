// The OpenType converter refuses ISO8859-1 fonts; their code points are those
// of ISO10646-1, so it is handed the same font under that charset.
#pragma once

#include <string>
#include <string_view>

namespace glyph::family {

// `font` with its CHARSET_REGISTRY line set to "ISO10646" and the last two
// fields of its FONT name to ISO10646-1; every other byte as it was.
std::string as_iso10646(std::string_view font);

}  // namespace glyph::family
