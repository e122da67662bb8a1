#include "bdf_options.hpp"

#include "text_scan.hpp"

namespace glyph::reading {
namespace {

BdfOptions failure(std::string message) {
    BdfOptions options;
    options.action = BdfOptions::Action::fail;
    options.message = std::move(message);
    return options;
}

}  // namespace

BdfOptions scan_bdf_options(std::span<const std::string> args) {
    BdfOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.empty() || arg[0] != '-') {
            if (options.font) return failure("Only one font is read at a time: " + arg + "\n");
            options.font = arg;
            continue;
        }
        if (options.font) return failure("Options come before the font: " + arg + "\n");
        if (arg.size() < 2 || arg[1] == '-') continue;
        const char letter = arg[1];
        if (letter == 'h') {
            options.action = BdfOptions::Action::help;
            return options;
        }
        if (letter == 'l') options.action = BdfOptions::Action::list;
        if (letter != 'z' && letter != 'm') continue;
        std::string value;
        if (arg.size() > 2) {
            value = arg.substr(2);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return failure(std::string("Missing argument for -") + letter + "\n");
        }
        if (letter == 'z') {
            const auto size = parse_count(value, MAX_PIXEL_SIZE);
            if (!size) return failure("Incorrect pixel size: " + value + "\n");
            options.pixel_size = static_cast<int>(*size);
        } else {
            const auto mib = parse_count(value, MAX_MEMORY_MIB);
            if (!mib) return failure("Incorrect memory cap: " + value + "\n");
            options.memory_mib = *mib;
        }
    }
    return options;
}

std::string bdf_help_text() {
    return "Usage: glyphbdf [OPTION]... [FONT]\n"
           "\n"
           "Write one strike of a bitmap FONT that FreeType reads (OpenType bitmap,\n"
           "PCF, .pcf.gz, BDF) as a BDF 2.1 font to standard output. With no FONT,\n"
           "read the font from standard input.\n"
           "\n"
           "Options:\n"
           "  -z PIXELS  the strike of PIXELS pixels (needed when the font has several)\n"
           "  -l         list the strikes: pixel size, glyphs, family and style\n"
           "  -m MIB     refuse any block of memory larger than MIB mebibytes\n"
           "             (default 256)\n"
           "  -h         display this help and exit\n";
}

}  // namespace glyph::reading
