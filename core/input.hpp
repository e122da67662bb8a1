// Opening the font to read.
#pragma once

#include <memory>

#include "byte_io.hpp"

namespace glyph {

// The named file opened for reading, or standard input (`standard_input`)
// when there is no name. Returns nothing when the file cannot be opened.
std::unique_ptr<ByteSource> open_input(const char* path, ByteSource& standard_input);

}  // namespace glyph
