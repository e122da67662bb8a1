#include "glyph_names.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <cstring>

namespace glyph::reading {
namespace {

// A name that a BDF line can hold as one word.
bool usable(const char* name) {
    if (!*name) return false;
    for (const char* c = name; *c; ++c)
        if (static_cast<unsigned char>(*c) <= ' ' || static_cast<unsigned char>(*c) >= 0x7f)
            return false;
    return true;
}

}  // namespace

std::string glyph_name(FT_FaceRec_* face, std::uint32_t index, std::int64_t code, bool unicode) {
    if (FT_HAS_GLYPH_NAMES(face)) {
        char name[128] = {};
        if (FT_Get_Glyph_Name(face, index, name, sizeof name) == 0 && usable(name)) return name;
    }
    char made[32];
    if (code < 0)
        std::snprintf(made, sizeof made, "glyph%u", index);
    else if (!unicode)
        std::snprintf(made, sizeof made, "char%lld", static_cast<long long>(code));
    else if (code <= 0xFFFF)
        std::snprintf(made, sizeof made, "uni%04llX", static_cast<long long>(code));
    else
        std::snprintf(made, sizeof made, "u%llX", static_cast<long long>(code));
    return made;
}

}  // namespace glyph::reading
