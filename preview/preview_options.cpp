#include "preview_options.hpp"

#include "text_scan.hpp"

namespace glyph {
namespace {

PreviewOptions failure(std::string message) {
    PreviewOptions options;
    options.action = PreviewOptions::Action::fail;
    options.message = std::move(message);
    return options;
}

}  // namespace

PreviewOptions scan_preview_options(std::span<const std::string> args) {
    PreviewOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.empty() || arg[0] != '-') {
            options.fonts = args.subspan(i);
            return options;
        }
        if (arg.size() < 2 || arg[1] == '-') continue;
        const char letter = arg[1];
        if (letter == 'h') {
            options.action = PreviewOptions::Action::help;
            return options;
        }
        if (letter != 't' && letter != 'o' && letter != 's' && letter != 'm') continue;
        std::string value;
        if (arg.size() > 2) {
            value = arg.substr(2);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return failure(std::string("Missing argument for -") + letter + "\n");
        }
        if (letter == 't') {
            options.text = std::move(value);
        } else if (letter == 'o') {
            options.to_png = true;
            options.png_path = std::move(value);
        } else if (letter == 'm') {
            const auto mib = parse_count(value, MAX_MEMORY_MIB);
            if (!mib) return failure("Incorrect memory cap: " + value + "\n");
            options.memory_mib = *mib;
        } else {
            const auto scale = parse_count(value, static_cast<std::size_t>(MAX_SCALE));
            if (!scale) return failure("Incorrect scale: " + value + "\n");
            options.scale = static_cast<int>(*scale);
        }
    }
    return options;
}

std::string preview_help_text() {
    std::string text =
        "Usage: glyphpreview [OPTION] [FONT...]\n"
        "\n"
        "Show a line of text in each X11 BDF FONT, one under another, on the\n"
        "terminal or in a PNG image. With no FONT, read one font from standard input.\n"
        "\n"
        "Options:\n"
        "  -t TEXT   the text to show, in UTF-8\n"
        "            (default: \"";
    text += DEFAULT_TEXT;
    text +=
        "\")\n"
        "  -o FILE   write a PNG image to FILE instead of drawing on the terminal\n"
        "  -s SCALE  draw every pixel SCALE times as wide and high, 1 to 16 (default 1)\n"
        "  -m MIB    memory cap: no picture or block of memory larger than MIB\n"
        "            mebibytes, nor an image's pictures together (default 256)\n"
        "  -h        display this help and exit\n";
    return text;
}

}  // namespace glyph
