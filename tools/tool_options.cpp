#include "tool_options.hpp"

namespace glyph {

ToolOptions scan_options(std::span<const std::string> args, std::string_view letters) {
    ToolOptions options;
    for (const std::string& arg : args) {
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
