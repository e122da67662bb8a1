// glyphpreview, callable in-process like the filters: arguments without the
// program name, the standard streams, and the exit status as the result.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "byte_io.hpp"

namespace glyph {

int run_glyphpreview(std::span<const std::string> args, ByteSource& in, ByteSink& out,
                     ByteSink& err);

// Stores the encoded image `png` under `path`, the value of -o; false with the
// reason when it cannot.
using PngStore =
    std::function<bool(const std::string& path, std::string_view png, std::string& reason)>;

// The same with the image handed to `store` instead of written to its file,
// for callers that keep it in memory.
int run_glyphpreview(std::span<const std::string> args, ByteSource& in, ByteSink& out,
                     ByteSink& err, const PngStore& store);

}  // namespace glyph
