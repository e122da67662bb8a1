// FreeType's text for an error code, for the messages of the programs that
// read fonts through it.
#pragma once

#include <string>

namespace glyph {

std::string ft_error_text(int error);

}  // namespace glyph
