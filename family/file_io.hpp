// Whole files in and out, with the reason of a failure as a message.
#pragma once

#include <string>
#include <string_view>

namespace glyph::family {

// Reads the file at `path` into `text`; an empty string, or "PATH: REASON".
std::string read_file(const std::string& path, std::string& text);

// Writes `text` into a new file at `path`; an empty string, or "PATH: REASON".
std::string write_file(const std::string& path, std::string_view text);

}  // namespace glyph::family
