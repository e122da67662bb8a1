// The command line shared by the three tools: one-letter options, the first
// argument that does not begin with "-" names the input and ends the scan.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace glyph {

struct ToolOptions {
    enum class Action { filter, help, report, bad_option };
    Action action = Action::filter;
    bool left_shift = true;        // -l on, -r off
    bool reflect_left = false;     // -L on, -R off
    bool verbose = false;          // -V
    bool widen = false;            // -w: boxes one pixel wider on the growth side
    bool advance = false;          // -a: the advance of every glyph with ink one pixel wider
    bool baseline = false;         // -b: glyphs lean about the baseline
    std::int32_t slant_ratio = 0;  // -s N: rows per one-pixel step; 0 when not given
    std::string message;           // what is wrong with a bad option, one line
    const char* input_path = nullptr;
};

// Scans `args` (the program name excluded). `letters` are the options the tool
// knows; any other letter, a lone "-" and arguments starting with "--" are
// ignored. -h and -p end the scan at once, and so does a bad value for -s,
// which the scan reports as Action::bad_option with its message.
ToolOptions scan_options(std::span<const std::string> args, std::string_view letters);

// The help text of tool `name`, one line per option letter, in the given order.
std::string help_text(std::string_view name, std::string_view letters);

}  // namespace glyph
