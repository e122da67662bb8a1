#include "family_steps.hpp"

#include "bdf_font.hpp"
#include "charset_map.hpp"
#include "face_names.hpp"
#include "family_plan.hpp"
#include "file_io.hpp"
#include "filter_driver.hpp"
#include "font_chars.hpp"
#include "font_survey.hpp"
#include "fontconfig_file.hpp"
#include "otb_writer.hpp"
#include "tools.hpp"

namespace glyph {
namespace {

using namespace family;

int fail(ByteSink& err, const std::string& message) {
    err.put("glyphfamily: " + message + "\n");
    err.flush();
    return 1;
}

struct ReadFont {
    BdfFont font;
    std::string text;
    std::string error;
};

ReadFont read_font(const std::string& path) {
    ReadFont read;
    if ((read.error = read_file(path, read.text)).empty()) {
        BdfReadResult result = read_bdf_font(read.text);
        if (!result.error.empty())
            read.error = path + ": " + result.error;
        else
            read.font = std::move(result.font);
    }
    return read;
}

}  // namespace

int write_face_step(const FamilyOptions& options, ByteSink& out, ByteSink& err) {
    if (options.fonts.size() != 1) return fail(err, "--face: one FONT, please");
    const std::string& path = options.fonts.front();
    const ReadFont read = read_font(path);
    if (!read.error.empty()) return fail(err, read.error);
    const Face face = *face_of_word(options.step_value);
    if (face == Face::regular) {
        out.put(read.text);
        out.flush();
        return 0;
    }
    const RegularName regular = regular_name(read.font);
    if (!regular.error.empty()) return fail(err, path + ": " + regular.error);
    const FaceName& from = regular.name;
    const FaceName to = derived_name(from, is_bold(face), is_slanted(face));
    const std::string old_weight = bdf_string(from.weight), new_weight = bdf_string(to.weight);
    const Renaming renaming{old_weight.c_str(), new_weight.c_str(),     from.slant.c_str(),
                            to.slant.c_str(),   from.font_name.c_str(), to.font_name.c_str()};
    std::vector<std::string> args;
    if (is_bold(face) && options.bold) args = *options.bold;
    if (is_slanted(face) && options.oblique)
        args.insert(args.end(), options.oblique->begin(), options.oblique->end());
    args.push_back(path.starts_with("-") ? "./" + path : path);
    MemorySource no_input("");
    switch (face) {
        case Face::bold:
            return run_glyphstout_renamed(renaming, args, no_input, out, err);
        case Face::oblique:
            return run_glyphslope_renamed(renaming, args, no_input, out, err);
        default:
            return run_glyphstoutslope_renamed(renaming, args, no_input, out, err);
    }
}

int write_otb_step(const FamilyOptions& options, ByteSink& out, ByteSink& err) {
    const Face face = *face_of_word(options.step_value);
    std::vector<BdfFont> fonts;
    fonts.reserve(options.fonts.size());
    for (const std::string& path : options.fonts) {
        ReadFont read = read_font(path);
        if (!read.error.empty()) return fail(err, read.error);
        fonts.push_back(std::move(read.font));
    }
    const FontSurvey first = survey_font(fonts.front());
    const std::optional<CharsetMap> map = CharsetMap::find(first.registry, first.encoding);
    if (!map)
        return fail(err, options.fonts.front() +
                             ": the system knows no Unicode mapping of charset " + charset(first));
    const bool unicode_font = charset(first) == "ISO10646-1";
    std::vector<otb::OtbStrike> strikes;
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        FontChars chars = font_chars(fonts[i], *map, unicode_font);
        if (!chars.error.empty()) return fail(err, options.fonts[i] + ": " + chars.error);
        strikes.push_back({&fonts[i], std::move(chars.chars)});
    }
    otb::OtbStyle style;
    style.family = first.family;
    style.bold = is_bold(face);
    style.slanted = is_slanted(face);
    style.rows_per_step = style.slanted ? options.slope : 0;
    style.spacing = first.spacing;
    style.date = options.date;
    const otb::OtbResult written = otb::write_otb(strikes, style);
    if (!written.error.empty()) return fail(err, written.error);
    out.put(std::string_view(reinterpret_cast<const char*>(written.bytes.data()),
                             written.bytes.size()));
    out.flush();
    return 0;
}

int write_fontconfig_step(const FamilyOptions& options, ByteSink& out) {
    out.put(fontconfig_file_text(options.step_value));
    out.flush();
    return 0;
}

}  // namespace glyph
