// The command line of glyphbdf: options first, one letter each as in the
// other programs, then at most one font; with none the font is read from
// standard input.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>

namespace glyph::reading {

// The cap on any one block of memory a run asks for, FreeType's included,
// unless -m sets another: a font that claims gigabytes fails instead of
// taking the machine's memory.
inline constexpr std::size_t DEFAULT_MEMORY_MIB = 256;
inline constexpr std::size_t MAX_MEMORY_MIB = std::size_t{1} << 20;
inline constexpr int MAX_PIXEL_SIZE = 1 << 16;

struct BdfOptions {
    enum class Action { convert, list, help, fail };
    Action action = Action::convert;
    std::string message;  // the whole message on standard error, for fail
    std::optional<int> pixel_size;
    std::size_t memory_mib = DEFAULT_MEMORY_MIB;
    std::optional<std::string> font;  // nothing: standard input
};

// Scans `args` (the program name excluded). An option's value is the rest of
// its argument when that is not empty, else the next argument. Unknown
// letters, a lone "-" and arguments starting with "--" are ignored. -h, a bad
// value, a missing value and a second font end the scan at once.
BdfOptions scan_bdf_options(std::span<const std::string> args);

std::string bdf_help_text();

}  // namespace glyph::reading
