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

}  // namespace glyph
