#include "family_plan.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>

namespace glyph::family {
namespace {

// What each face is called, in the order of Face: the filter that makes it
// (none for the regular face, which is copied), the suffix of its file
// names and its style name in the OpenType file names.
struct FaceNames {
    const char* program;
    const char* suffix;
    const char* style;
};
constexpr std::array<FaceNames, FACES.size()> FACE_NAMES = {{
    {nullptr, "", "Regular"},
    {"glyphstout", "-bold", "Bold"},
    {"glyphslope", "-oblique", "Oblique"},
    {"glyphstoutslope", "-bold-oblique", "BoldOblique"},
}};

const FaceNames& names_of(Face face) {
    return FACE_NAMES[static_cast<std::size_t>(face)];
}

const char* face_suffix(Face face) {
    return names_of(face).suffix;
}

bool is_iso8859_1(const FontSurvey& font) {
    std::string registry = font.registry;
    std::transform(registry.begin(), registry.end(), registry.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return registry == "ISO8859" && font.encoding == "1";
}

std::vector<std::string> face_options(const FaceOptions& options, Face face) {
    std::vector<std::string> args;
    if (face == Face::bold || face == Face::bold_oblique)
        args.insert(args.end(), options.bold.begin(), options.bold.end());
    if (face == Face::oblique || face == Face::bold_oblique)
        args.insert(args.end(), options.oblique.begin(), options.oblique.end());
    return args;
}

std::string joined(const std::vector<std::string>& words, bool quoted = true) {
    std::string text;
    for (const std::string& word : words) {
        if (!text.empty()) text += ' ';
        text += quoted ? shell_word(word) : word;
    }
    return text;
}

std::string under(const std::string& dir, const std::string& path) {
    return shell_word(dir + "/" + path);
}

// Two sizes whose faces would write one file, as "a.bdf" (16 px) and
// "a-bold.bdf" (14 px) both write a-bold.bdf; the PCF names follow the BDF ones.
std::string name_collision(const std::vector<SizeEntry>& sizes) {
    std::map<std::string, std::size_t> writer;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        for (Face face : FACES) {
            const std::string file = "bdf/" + sizes[i].stem + face_suffix(face) + ".bdf";
            const auto [known, added] = writer.emplace(file, i);
            if (!added && known->second != i)
                return sizes[known->second].path + " and " + sizes[i].path + " would both write " +
                       file;
        }
    }
    return {};
}

}  // namespace

const char* face_program(Face face) {
    return names_of(face).program;
}

const char* face_style(Face face) {
    return names_of(face).style;
}

std::string file_name_of(const std::string& family) {
    std::string name = family;
    // A name from a font must stay one file name: no folders, no hidden
    // files, nothing a terminal or a shell would act on.
    for (char& c : name) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '/' || byte < 0x20 || byte == 0x7f) c = '_';
    }
    while (!name.empty() && name.front() == '.')
        name.erase(name.begin());
    return name.empty() ? "family" : name;
}

std::string shell_word(const std::string& word) {
    const bool plain = !word.empty() && word.find_first_not_of(
                                            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                            "0123456789_-+=.,/:@%") == std::string::npos;
    if (plain) return word;
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

PlanResult make_plan(std::vector<SizeEntry> sizes, const Formats& formats,
                     const FamilyOptions& overrides, std::optional<std::int64_t> epoch) {
    PlanResult result;
    FamilyPlan& plan = result.plan;
    const FontSurvey& first = sizes.front().survey;
    for (std::size_t i = 1; i < sizes.size(); ++i) {
        const SizeEntry& size = sizes[i];
        if (size.survey.family != first.family) {
            result.error = size.path + ": family \"" + size.survey.family + "\", but " +
                           sizes.front().path + " is of family \"" + first.family + "\"";
            return result;
        }
        if (charset(size.survey) != charset(first)) {
            result.error = size.path + ": charset " + charset(size.survey) + ", but " +
                           sizes.front().path + " is " + charset(first);
            return result;
        }
        for (std::size_t k = 0; k < i; ++k) {
            if (sizes[k].survey.pixel_size == size.survey.pixel_size) {
                result.error = size.path + ": size " + std::to_string(size.survey.pixel_size) +
                               " is given twice (also " + sizes[k].path + ")";
                return result;
            }
        }
    }
    if (std::string collision = name_collision(sizes); !collision.empty()) {
        result.error = std::move(collision);
        return result;
    }
    plan.family = first.family;
    plan.formats = formats;
    plan.epoch = epoch;
    const bool recode = is_iso8859_1(first);
    const std::string name = file_name_of(plan.family);
    for (SizeEntry& size : sizes) {
        if (overrides.bold) size.options.bold = *overrides.bold;
        if (overrides.oblique) size.options.oblique = *overrides.oblique;
    }
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const SizeEntry& size = sizes[i];
        // A name that begins with "-" would read as an option.
        const std::string input = size.path.starts_with("-") ? "./" + size.path : size.path;
        for (Face face : FACES) {
            const std::string file = size.stem + face_suffix(face);
            FaceRun run{i, face, face_options(size.options, face), "bdf/" + file + ".bdf"};
            run.args.push_back(input);
            plan.faces.push_back(std::move(run));
            if (formats.pcf)
                plan.pcf.push_back({i, face, size.survey.spacing == Spacing::cell,
                                    "bdf/" + file + ".bdf", "work/" + file + ".pcf",
                                    "pcf/" + file + ".pcf.gz"});
        }
    }
    if (formats.otb) {
        for (Face face : FACES) {
            OtbRun run{face, recode, {}, {}, "otb/" + name + "-" + face_style(face) + ".otb"};
            for (const SizeEntry& size : sizes) {
                const std::string file = size.stem + face_suffix(face) + ".bdf";
                run.faces.push_back("bdf/" + file);
                run.inputs.push_back((recode ? "work/" : "bdf/") + file);
            }
            plan.otb.push_back(std::move(run));
        }
    }
    plan.sizes = std::move(sizes);
    return result;
}

std::string plan_text(const FamilyPlan& plan, const std::string& dir) {
    std::string text;
    for (const FaceRun& run : plan.faces) {
        if (const char* program = face_program(run.face))
            text += std::string(program) + " " + joined(run.args);
        else
            text += "cat " + shell_word(run.args.back());
        text += " > " + under(dir, run.output) + "\n";
    }
    for (const PcfRun& run : plan.pcf) {
        text += std::string("bdftopcf ") + (run.terminal ? "-t " : "") + under(dir, run.input) +
                " | gzip -n -9 > " + under(dir, run.output) + "\n";
    }
    if (!plan.pcf.empty()) text += "mkfontdir " + under(dir, "pcf") + "\n";
    for (const OtbRun& run : plan.otb) {
        if (run.recode) {
            for (std::size_t i = 0; i < run.faces.size(); ++i)
                text +=
                    "sed -e 's/^CHARSET_REGISTRY .*/CHARSET_REGISTRY \"ISO10646\"/' "
                    "-e 's/^\\(FONT .*-\\)[^-]*-[^-]*$/\\1ISO10646-1/' " +
                    under(dir, run.faces[i]) + " > " + under(dir, run.inputs[i]) + "\n";
        }
        text += "fonttosfnt -b -c -g 2 -m 2 -o " + under(dir, run.output);
        for (const std::string& input : run.inputs)
            text += " " + under(dir, input);
        text += "\n";
        if (plan.epoch)
            text += "# " + under(dir, run.output) + ": head dates set to SOURCE_DATE_EPOCH " +
                    std::to_string(*plan.epoch) + ", checksums made right\n";
    }
    return text;
}

std::string summary_text(const FamilyPlan& plan, const std::string& dir) {
    std::string text = "Family \"" + plan.family + "\", " + charset(plan.sizes.front().survey) +
                       ", size" + (plan.sizes.size() > 1 ? "s" : "");
    for (const SizeEntry& size : plan.sizes)
        text += " " + std::to_string(size.survey.pixel_size);
    text += "\n";
    for (const SizeEntry& size : plan.sizes) {
        const char* kind = size.survey.spacing == Spacing::proportional ? "proportional"
                           : size.survey.spacing == Spacing::cell       ? "character cell"
                                                                        : "monospaced";
        text += "  " + size.stem + " (" + kind + "): bold \"" + joined(size.options.bold, false) +
                "\", oblique \"" + joined(size.options.oblique, false) + "\"\n";
    }
    const std::size_t count = plan.sizes.size() * 4;
    if (plan.formats.bdf)
        text += "Wrote " + std::to_string(count) + " BDF faces to " + dir + "/bdf\n";
    if (plan.formats.pcf)
        text += "Wrote " + std::to_string(count) + " PCF faces and fonts.dir to " + dir + "/pcf\n";
    if (plan.formats.otb)
        text += "Wrote 4 OpenType bitmap files of " + std::to_string(plan.sizes.size()) +
                " strike" + (plan.sizes.size() > 1 ? "s" : "") + " to " + dir + "/otb\n";
    if (plan.formats.otb) {
        text += "Install for fontconfig: mkdir -p ~/.local/share/fonts && cp " + under(dir, "otb") +
                "/*.otb ~/.local/share/fonts/ && fc-cache\n";
    }
    if (plan.formats.pcf)
        text +=
            "Serve to X: xset +fp \"$(realpath " + under(dir, "pcf") + ")\" && xset fp rehash\n";
    return text;
}

}  // namespace glyph::family
