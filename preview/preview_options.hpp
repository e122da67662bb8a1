// The command line of glyphpreview. Options come first, one letter each as in
// the filters; the first argument that does not begin with "-" starts the
// list of fonts, and every argument from there on names a font.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace glyph {

inline constexpr std::string_view DEFAULT_TEXT = "The quick brown fox jumps over the lazy dog";
inline constexpr int MAX_SCALE = 16;

struct PreviewOptions {
    enum class Action { show, help, fail };
    Action action = Action::show;
    std::string message;  // the whole message on standard error, for fail
    std::string text{DEFAULT_TEXT};
    bool to_png = false;
    std::string png_path;
    int scale = 1;
    std::span<const std::string> fonts;  // empty: one font on standard input
};

// Scans `args` (the program name excluded). An option's value is the rest of
// its argument when that is not empty, else the next argument. Unknown
// letters, a lone "-" and arguments starting with "--" are ignored. -h, a bad
// scale and a missing value end the scan at once.
PreviewOptions scan_preview_options(std::span<const std::string> args);

std::string preview_help_text();

}  // namespace glyph
