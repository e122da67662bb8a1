#include "tool_options.hpp"

#include <utility>

namespace glyph {
namespace {

// Rows per step: a whole number from 1 to 16, written in decimal digits.
bool read_slant_ratio(std::string_view text, std::int32_t& ratio) {
    if (text.empty() || text.size() > 8) return false;
    std::int32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 16) return false;
    ratio = value;
    return true;
}

ToolOptions& bad_option(ToolOptions& options, std::string message) {
    options.action = ToolOptions::Action::bad_option;
    options.message = std::move(message);
    return options;
}

}  // namespace

ToolOptions scan_options(std::span<const std::string> args, std::string_view letters) {
    ToolOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.empty() || arg[0] != '-') {
            options.input_path = arg.c_str();
            return options;
        }
        if (arg.size() < 2 || letters.find(arg[1]) == std::string_view::npos) continue;
        switch (arg[1]) {
            case 'l':
                options.left_shift = true;
                break;
            case 'r':
                options.left_shift = false;
                break;
            case 'L':
                options.reflect_left = true;
                break;
            case 'R':
                options.reflect_left = false;
                break;
            case 'V':
                options.verbose = true;
                break;
            case 'w':
                options.widen = true;
                break;
            case 'a':
                options.advance = true;
                break;
            case 'b':
                options.baseline = true;
                break;
            case 's': {
                // The value joined to the letter (-s6) or the next argument.
                if (arg.size() == 2 && i + 1 == args.size())
                    return bad_option(options, "Missing argument for -s");
                const std::string_view value =
                    arg.size() > 2 ? std::string_view(arg).substr(2) : std::string_view(args[++i]);
                if (!read_slant_ratio(value, options.slant_ratio))
                    return bad_option(options, "Incorrect slant: " + std::string(value));
                break;
            }
            case 'h':
                options.action = ToolOptions::Action::help;
                return options;
            case 'p':
                options.action = ToolOptions::Action::report;
                return options;
            default:
                break;
        }
    }
    return options;
}

std::string help_text(std::string_view name, std::string_view letters) {
    std::string text = "Usage: ";
    text.append(name);
    text +=
        " [OPTION] [FILE]\n"
        "\n"
        "Write processed X11 BDF file to standard output.\n"
        "With no FILE, read standard input.\n"
        "\n"
        "Options:\n";
    for (char letter : letters) {
        const char* what = "";
        switch (letter) {
            case 'l':
                what = "left shifted image OR original (default)";
                break;
            case 'r':
                what = "right shifted image OR original";
                break;
            case 'L':
                what = "reflect left edge";
                break;
            case 'R':
                what = "reflect right edge (default)";
                break;
            case 'w':
                what = "widen glyph boxes by one pixel on the growth side";
                break;
            case 'a':
                what = "widen the advance of every glyph with ink by one pixel";
                break;
            case 'b':
                what = "lean about the baseline (pixels on it stay in place)";
                break;
            case 's':
                what = "N rows per one-pixel step of slant, 1 to 16 (default 3)";
                break;
            case 'p':
                what = "print a pattern table for pixel correction used by slanting";
                break;
            case 'V':
                what = "verbose output";
                break;
            case 'h':
                what = "display this help and exit";
                break;
            default:
                continue;
        }
        text += "  -";
        text += letter;
        text += ' ';
        text += what;
        text += '\n';
    }
    return text;
}

}  // namespace glyph
