// glyphfamily's command line, read as getopt_long reads one: options and
// fonts in any order, "--" ends the options, -oDIR and --bold=OPTS joined.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace glyph::family {

struct Formats {
    bool bdf = true, pcf = true, otb = true;
};

struct FamilyOptions {
    std::vector<std::string> fonts;
    Formats formats;
    bool formats_given = false;  // -f: a missing converter is an error
    std::string out_dir;         // empty: named after the family
    unsigned jobs = 0;           // 0: one per processor
    std::vector<int> strikes;    // -z: the strikes of fonts of several; empty: all
    bool dry_run = false;
    bool install = false;  // --install: the OpenType files into the user's fonts
    // One step of a plan instead of a whole run: "face" (--face WORD FONT),
    // "otb" (--otb WORD FACE...) or "fontconfig" (--fontconfig FAMILY).
    std::string step;
    std::string step_value;  // the face's word, or the family
    std::int64_t slope = 3;  // --slope: rows per step of the slanted faces
    std::int64_t date = 0;   // --date: seconds since 1970 for the OpenType files
    bool help = false;
    std::optional<std::vector<std::string>> bold, oblique;  // --bold, --oblique
};

// The options, or `error` (a usage error: status 2).
struct ParsedOptions {
    FamilyOptions options;
    std::string error;
};

ParsedOptions parse_family_options(std::span<const std::string> args);

// The filter whose options a value holds: glyphstout's (--bold) or
// glyphslope's (--oblique); glyphstoutslope takes both.
enum class OptionSet { bold, oblique };

// The words of a --bold or --oblique value, checked to be options that the
// filter of `set` takes for a face, one a word ("-s" with its number of rows
// joined or as the next word). Returns an error message, or an empty string.
std::string split_filter_options(const std::string& text, OptionSet set,
                                 std::vector<std::string>& words);

std::string family_usage();

}  // namespace glyph::family
