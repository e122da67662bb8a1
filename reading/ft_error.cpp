// FreeType keeps its error texts out of the library unless asked for, and
// FT_Error_String answers NULL in the usual distribution builds, so the table
// is built here from FreeType's own list of errors.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

#include "ft_error.hpp"

namespace glyph {
namespace {

struct ErrorText {
    int code;
    const char* text;
};

#undef FTERRORS_H_
#define FT_ERRORDEF(e, v, s) {v, s},
#define FT_ERROR_START_LIST {
#define FT_ERROR_END_LIST \
    { 0, nullptr }        \
    }                     \
    ;
const ErrorText ERROR_TEXTS[] =
#include FT_ERRORS_H

}  // namespace

std::string ft_error_text(int error) {
    for (const ErrorText& entry : ERROR_TEXTS)
        if (entry.text && entry.code == FT_ERROR_BASE(error)) return entry.text;
    return "error " + std::to_string(error);
}

}  // namespace glyph
