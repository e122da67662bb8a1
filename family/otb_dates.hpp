// A reproducible OpenType file: the converter stamps the time of the run into
// the head table, which would make every build of a family differ.
#pragma once

#include <cstdint>
#include <string>

namespace glyph::family {

// Sets the created and modified dates of the head table of the sfnt in
// `font` to `unix_seconds`, and makes the head table's checksum and the
// file's checksum adjustment right again. False, the bytes unchanged, when
// the data hold no well-formed head table.
bool set_head_dates(std::string& font, std::int64_t unix_seconds);

// The same on the file at `path`; an empty string, or what went wrong.
std::string set_file_head_dates(const std::string& path, std::int64_t unix_seconds);

}  // namespace glyph::family
