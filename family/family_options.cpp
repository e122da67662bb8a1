#include "family_options.hpp"

#include <charconv>

namespace glyph::family {
namespace {

bool parse_formats(const std::string& list, Formats& formats) {
    formats = {false, false, false};
    std::size_t at = 0;
    do {
        std::size_t end = list.find(',', at);
        if (end == std::string::npos) end = list.size();
        const std::string name = list.substr(at, end - at);
        if (name == "bdf")
            formats.bdf = true;
        else if (name == "pcf")
            formats.pcf = true;
        else if (name == "otb")
            formats.otb = true;
        else
            return false;
        at = end + 1;
    } while (at <= list.size());
    return true;
}

// Pixel sizes separated by commas, added to those given before.
bool parse_sizes(const std::string& list, std::vector<int>& sizes) {
    std::size_t at = 0;
    do {
        std::size_t end = list.find(',', at);
        if (end == std::string::npos) end = list.size();
        int size = 0;
        const auto [stop, error] = std::from_chars(list.data() + at, list.data() + end, size);
        if (error != std::errc() || stop != list.data() + end || size < 1 || size > 65535)
            return false;
        sizes.push_back(size);
        at = end + 1;
    } while (at <= list.size());
    return true;
}

bool parse_jobs(const std::string& text, unsigned& jobs) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
    return error == std::errc() && end == text.data() + text.size() && jobs >= 1 && jobs <= 1024;
}

// The options of a plan's own steps: --face WORD, --otb WORD, --fontconfig
// FAMILY, --slope N, --date SECONDS.
std::string take_step_option(const std::string& name, const std::string& value,
                             FamilyOptions& options) {
    const auto number = [&](std::int64_t low, std::int64_t high, std::int64_t& into) {
        std::int64_t read = 0;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), read);
        if (error != std::errc() || end != value.data() + value.size() || read < low || read > high)
            return "--" + name + ": '" + value + "' is not a number from " + std::to_string(low) +
                   " to " + std::to_string(high);
        into = read;
        return std::string();
    };
    if (name == "slope") return number(1, 16, options.slope);
    if (name == "date") return number(0, 253402300799, options.date);
    if (!options.step.empty()) return "--" + name + ": only one step at a time";
    if (name != "fontconfig" && value != "regular" && value != "bold" && value != "oblique" &&
        value != "bold-oblique")
        return "--" + name + ": '" + value + "' is none of regular, bold, oblique, bold-oblique";
    options.step = name;
    options.step_value = value;
    return {};
}

}  // namespace

std::string family_usage() {
    return "Usage: glyphfamily [OPTION]... FONT...\n"
           "Make the bold, oblique and bold oblique faces of a regular BDF font, one or\n"
           "more sizes of one family, and convert all four to installable formats.\n"
           "\n"
           "  -o DIR          write into DIR/bdf, DIR/pcf and DIR/otb (default: a folder\n"
           "                  named after the family)\n"
           "  -f LIST         formats, comma-separated from bdf, pcf, otb (default: all)\n"
           "  -j N            run N jobs at once (default: one per processor)\n"
           "  -n              print the plan and write nothing\n"
           "  -z SIZES        of a font of several strikes (OpenType), only these pixel\n"
           "                  sizes, separated by commas (default: every strike)\n"
           "      --install       then install the OpenType files for the user's fontconfig\n"
           "      --bold OPTS     glyphstout's options (-l -r -L -R -w -a) instead of the\n"
           "                      chosen ones\n"
           "      --oblique OPTS  glyphslope's options (-b -s N) instead of the chosen ones\n"
           "  -h, --help      display this help and exit\n"
           "\n"
           "The steps of a plan (-n) that glyphfamily carries out itself:\n"
           "      --face FACE [--bold OPTS] [--oblique OPTS] FONT\n"
           "                      write a derived face (bold, oblique, bold-oblique)\n"
           "                      named as glyphfamily names it\n"
           "      --otb FACE [--slope N] [--date SECONDS] FACE.bdf...\n"
           "                      write an OpenType bitmap file, a strike per BDF face\n"
           "      --fontconfig FAMILY\n"
           "                      write the fontconfig file that accepts the family\n";
}

std::string split_filter_options(const std::string& text, OptionSet set,
                                 std::vector<std::string>& words) {
    words.clear();
    std::size_t at = 0;
    while ((at = text.find_first_not_of(" \t\n", at)) != std::string::npos) {
        const std::size_t end = std::min(text.size(), text.find_first_of(" \t\n", at));
        words.push_back(text.substr(at, end - at));
        at = end;
    }
    // The filters read one option a word: "-lw" would be -l alone.
    const std::string letters = set == OptionSet::bold ? "lrLRwa" : "bs";
    const char* const known = set == OptionSet::bold ? "glyphstout takes -l, -r, -L, -R, -w and -a"
                                                     : "glyphslope takes -b and -s N";
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.size() < 2 || word[0] != '-' || letters.find(word[1]) == std::string::npos ||
            (word.size() > 2 && word[1] != 's'))
            return "'" + word + "' is not an option for the face (" + known + ")";
        if (word[1] != 's') continue;
        // Rows per step: the rest of the word, or the next word.
        std::string rows = word.substr(2);
        if (rows.empty()) {
            if (i + 1 == words.size()) return "'-s' needs its number of rows per step (1 to 16)";
            rows = words[++i];
        }
        unsigned value = 0;
        const auto [stop, error] = std::from_chars(rows.data(), rows.data() + rows.size(), value);
        if (error != std::errc() || stop != rows.data() + rows.size() || rows.size() > 8 ||
            value < 1 || value > 16)
            return "'-s " + rows + "': the rows per step are a number from 1 to 16";
    }
    return {};
}

ParsedOptions parse_family_options(std::span<const std::string> args) {
    ParsedOptions parsed;
    FamilyOptions& options = parsed.options;
    bool options_end = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options_end || arg.size() < 2 || arg[0] != '-') {
            options.fonts.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options_end = true;
            continue;
        }
        if (arg.starts_with("--")) {
            const std::size_t equals = arg.find('=');
            const std::string name =
                arg.substr(2, equals == std::string::npos ? arg.npos : equals - 2);
            if (name == "help" && equals == std::string::npos) {
                options.help = true;
                continue;
            }
            if (name == "install" && equals == std::string::npos) {
                options.install = true;
                continue;
            }
            const bool step = name == "face" || name == "otb" || name == "fontconfig" ||
                              name == "slope" || name == "date";
            if (!step && name != "bold" && name != "oblique") {
                parsed.error = "unrecognized option '" + arg + "'";
                return parsed;
            }
            std::string value;
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                parsed.error = "option '--" + name + "' requires an argument";
                return parsed;
            }
            if (step) {
                if (std::string problem = take_step_option(name, value, options);
                    !problem.empty()) {
                    parsed.error = std::move(problem);
                    return parsed;
                }
                continue;
            }
            std::vector<std::string> words;
            const OptionSet set = name == "bold" ? OptionSet::bold : OptionSet::oblique;
            if (std::string problem = split_filter_options(value, set, words); !problem.empty()) {
                parsed.error = "--" + name + ": " + problem;
                return parsed;
            }
            (name == "bold" ? options.bold : options.oblique) = std::move(words);
            continue;
        }
        // A cluster of short options; one that takes a value takes the rest.
        for (std::size_t k = 1; k < arg.size(); ++k) {
            const char letter = arg[k];
            if (letter == 'n') {
                options.dry_run = true;
                continue;
            }
            if (letter == 'h') {
                options.help = true;
                continue;
            }
            if (letter != 'o' && letter != 'f' && letter != 'j' && letter != 'z') {
                parsed.error = std::string("invalid option -- '") + letter + "'";
                return parsed;
            }
            std::string value;
            if (k + 1 < arg.size()) {
                value = arg.substr(k + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                parsed.error = std::string("option requires an argument -- '") + letter + "'";
                return parsed;
            }
            if (letter == 'o') {
                if (value.empty()) {
                    parsed.error = "-o: an empty folder name";
                    return parsed;
                }
                // "dir/" names dir itself, and its stage is put beside it.
                while (value.size() > 1 && value.back() == '/')
                    value.pop_back();
                options.out_dir = value;
            } else if (letter == 'f') {
                if (!parse_formats(value, options.formats)) {
                    parsed.error = "-f: '" + value + "' is not a list of bdf, pcf, otb";
                    return parsed;
                }
                options.formats_given = true;
            } else if (letter == 'z') {
                if (!parse_sizes(value, options.strikes)) {
                    parsed.error = "-z: '" + value + "' is not a list of pixel sizes";
                    return parsed;
                }
            } else if (!parse_jobs(value, options.jobs)) {
                parsed.error = "-j: '" + value + "' is not a number of jobs from 1 to 1024";
                return parsed;
            }
            break;
        }
    }
    if (!options.help && options.fonts.empty() && options.step != "fontconfig")
        parsed.error = "no FONT given";
    return parsed;
}

}  // namespace glyph::family
