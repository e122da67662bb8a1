// glyphbdf, callable in-process like the other programs: arguments without
// the program name, the standard streams, and the exit status as the result.
#pragma once

#include <span>
#include <string>

#include "byte_io.hpp"

namespace glyph {

int run_glyphbdf(std::span<const std::string> args, ByteSource& in, ByteSink& out, ByteSink& err);

}  // namespace glyph
