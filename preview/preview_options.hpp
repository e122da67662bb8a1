// The command line of glyphpreview. Options come first, one letter each as in
// the filters; the first argument that does not begin with "-" starts the
// list of fonts, and every argument from there on names a font.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace glyph {

inline constexpr std::string_view DEFAULT_TEXT = "The quick brown fox jumps over the lazy dog";
inline constexpr int MAX_SCALE = 16;
// The memory cap of a run, in MiB: the default is far above what a page of
// real fonts needs and far below what a hostile font would take.
inline constexpr std::size_t DEFAULT_MEMORY_MIB = 256;
inline constexpr std::size_t MAX_MEMORY_MIB = 1 << 20;

struct PreviewOptions {
    enum class Action { show, help, fail };
    Action action = Action::show;
    std::string message;  // the whole message on standard error, for fail
    std::string text{DEFAULT_TEXT};
    bool to_png = false;
    std::string png_path;
    int scale = 1;
    std::size_t memory_mib = DEFAULT_MEMORY_MIB;
    std::span<const std::string> fonts;  // empty: one font on standard input
};

// Scans `args` (the program name excluded). An option's value is the rest of
// its argument when that is not empty, else the next argument. Unknown
// letters, a lone "-" and arguments starting with "--" are ignored. -h, a bad
// scale and a missing value end the scan at once.
PreviewOptions scan_preview_options(std::span<const std::string> args);

std::string preview_help_text();

}  // namespace glyph
