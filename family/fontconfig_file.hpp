// The fontconfig file that lets a family's bitmap files be seen. Debian and
// others reject every font that is not scalable by default; a file that
// accepts this one family, and nothing else, undoes that for it alone.
#pragma once

#include <string>

namespace glyph::family {

// The file's name: "65-FAMILY-bitmaps.conf", the family made a file name.
// The number puts it among the user's configuration, which fontconfig reads
// only from names that begin with a digit.
std::string fontconfig_file_name(const std::string& family);

// The file's text: an accepted pattern of the family's bitmap fonts in
// OpenType files. The family name is escaped as XML.
std::string fontconfig_file_text(const std::string& family);

// A text escaped for XML character data and attribute values.
std::string xml_escaped(const std::string& text);

}  // namespace glyph::family
