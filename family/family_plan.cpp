#include "family_plan.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <set>

#include "fontconfig_file.hpp"

namespace glyph::family {
namespace {

// What each face is called, in the order of Face: the filter that makes it
// (none for the regular face, which is copied), the suffix of its file
// names, its style name in the OpenType file names and its word in
// glyphfamily's own steps.
struct FaceNames {
    const char* program;
    const char* suffix;
    const char* style;
    const char* word;
};
constexpr std::array<FaceNames, FACES.size()> FACE_NAMES = {{
    {nullptr, "", "Regular", "regular"},
    {"glyphstout", "-bold", "Bold", "bold"},
    {"glyphslope", "-oblique", "Oblique", "oblique"},
    {"glyphstoutslope", "-bold-oblique", "BoldOblique", "bold-oblique"},
}};

const FaceNames& names_of(Face face) {
    return FACE_NAMES[static_cast<std::size_t>(face)];
}

std::vector<std::string> face_options(const FaceOptions& options, Face face) {
    std::vector<std::string> args;
    if (is_bold(face)) args.insert(args.end(), options.bold.begin(), options.bold.end());
    if (is_slanted(face)) args.insert(args.end(), options.oblique.begin(), options.oblique.end());
    return args;
}

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words)
        text += (text.empty() ? "" : " ") + word;
    return text;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Whether the filters' own renaming ("Medium" to "Bold", "R" to "I") names
// the derived faces: then the plan runs the filters as they are.
bool filters_name_it(const FaceName& regular) {
    return lower(regular.weight) == "medium" && lower(regular.slant) == "r";
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

std::string check_sizes(const std::vector<SizeEntry>& sizes) {
    const SizeEntry& first = sizes.front();
    for (std::size_t i = 1; i < sizes.size(); ++i) {
        const SizeEntry& size = sizes[i];
        if (size.survey.family != first.survey.family)
            return size.path + ": family \"" + size.survey.family + "\", but " + first.path +
                   " is of family \"" + first.survey.family + "\"";
        if (charset(size.survey) != charset(first.survey))
            return size.path + ": charset " + charset(size.survey) + ", but " + first.path +
                   " is " + charset(first.survey);
        for (std::size_t k = 0; k < i; ++k) {
            if (sizes[k].survey.pixel_size == size.survey.pixel_size)
                return size.path + ": size " + std::to_string(size.survey.pixel_size) +
                       " is given twice (also " + sizes[k].path + ")";
        }
    }
    return name_collision(sizes);
}

// Builds the steps of a plan whose sizes are settled.
class StepMaker {
  public:
    StepMaker(FamilyPlan& plan, const PlanInputs& inputs) : plan_(plan), inputs_(inputs) {}

    void make() {
        const Formats& formats = plan_.formats;
        for (const char* folder : {"bdf", "pcf", "otb"}) {
            const bool wanted = folder == std::string("bdf")   ? true
                                : folder == std::string("pcf") ? formats.pcf
                                                               : formats.otb;
            if (wanted) plan_.folders.push_back(out(folder));
        }
        std::vector<std::size_t> pcf_steps;
        for (std::size_t i = 0; i < plan_.sizes.size(); ++i) {
            if (plan_.sizes[i].in_folder) continue;
            for (Face face : FACES) {
                face_steps_[{i, face}] = add_face(i, face);
                if (formats.pcf) pcf_steps.push_back(add_pcf(i, face));
            }
        }
        if (formats.pcf) add({{"mkfontdir", out("pcf")}}, {}, pcf_steps);
        if (formats.otb && plan_.otb_note.empty()) add_otb();
    }

  private:
    std::string out(const std::string& relative) const { return inputs_.out_root + "/" + relative; }
    std::string face_file(std::size_t size, Face face) const {
        const SizeEntry& entry = plan_.sizes[size];
        const std::string relative = "bdf/" + entry.stem + face_suffix(face) + ".bdf";
        return entry.in_folder ? inputs_.folder_root + "/" + relative : out(relative);
    }

    std::size_t add(std::vector<std::vector<std::string>> commands, std::string output,
                    std::vector<std::size_t> after) {
        plan_.steps.push_back({std::move(commands), std::move(output), std::move(after)});
        return plan_.steps.size() - 1;
    }

    std::size_t add_face(std::size_t size, Face face) {
        const SizeEntry& entry = plan_.sizes[size];
        // A name that begins with "-" would read as an option.
        const std::string given = entry.path.starts_with("-") ? "./" + entry.path : entry.path;
        // A converted font's faces are made from its BDF, the first step.
        const std::string input = entry.strike ? face_file(size, Face::regular) : given;
        std::vector<std::string> command;
        std::vector<std::size_t> after;
        if (face == Face::regular && entry.strike) {
            command = {"glyphbdf", "-z", std::to_string(*entry.strike), given};
        } else if (face == Face::regular) {
            command = {"cat", input};
        } else if (filters_name_it(entry.name)) {
            command = face_options(entry.options, face);
            command.insert(command.begin(), face_program(face));
            command.push_back(input);
        } else {
            command = {"glyphfamily",
                       "--face",
                       face_word(face),
                       "--bold",
                       joined(entry.options.bold),
                       "--oblique",
                       joined(entry.options.oblique),
                       "--",
                       input};
        }
        if (face != Face::regular && entry.strike)
            after.push_back(face_steps_.at({size, Face::regular}));
        return add({std::move(command)}, face_file(size, face), std::move(after));
    }

    std::size_t add_pcf(std::size_t size, Face face) {
        const SizeEntry& entry = plan_.sizes[size];
        std::vector<std::string> bdftopcf = {"bdftopcf"};
        if (entry.survey.spacing == Spacing::cell) bdftopcf.push_back("-t");
        bdftopcf.push_back(face_file(size, face));
        return add({std::move(bdftopcf), {"gzip", "-n", "-9"}},
                   out("pcf/" + entry.stem + face_suffix(face) + ".pcf.gz"),
                   {face_steps_.at({size, face})});
    }

    // The sizes grouped by the characters they cover, in the order of sizes.
    std::vector<std::vector<std::size_t>> coverage_groups() const {
        std::vector<std::vector<std::size_t>> groups;
        for (std::size_t i = 0; i < plan_.sizes.size(); ++i) {
            auto group = std::find_if(groups.begin(), groups.end(), [&](const auto& members) {
                return plan_.sizes[members.front()].coverage == plan_.sizes[i].coverage;
            });
            if (group == groups.end())
                groups.push_back({i});
            else
                group->push_back(i);
        }
        for (auto& group : groups)
            std::sort(group.begin(), group.end(), [&](std::size_t a, std::size_t b) {
                return plan_.sizes[a].survey.pixel_size < plan_.sizes[b].survey.pixel_size;
            });
        return groups;
    }

    void add_otb() {
        const std::vector<std::vector<std::size_t>> groups = coverage_groups();
        for (const auto& group : groups) {
            // One italic angle a file: its first size's slope.
            const std::string slope =
                std::to_string(rows_per_step(plan_.sizes[group.front()].options.oblique));
            std::vector<std::int64_t> pixel_sizes;
            for (std::size_t size : group)
                pixel_sizes.push_back(plan_.sizes[size].survey.pixel_size);
            for (Face face : FACES) {
                std::vector<std::string> command = {"glyphfamily",
                                                    "--otb",
                                                    face_word(face),
                                                    "--slope",
                                                    slope,
                                                    "--date",
                                                    std::to_string(plan_.date),
                                                    "--"};
                std::vector<std::size_t> after;
                for (std::size_t size : group) {
                    command.push_back(face_file(size, face));
                    if (auto step = face_steps_.find({size, face}); step != face_steps_.end())
                        after.push_back(step->second);
                }
                const std::string name =
                    otb_file_name(plan_.family, face, pixel_sizes, groups.size() > 1);
                add({std::move(command)}, out("otb/" + name), std::move(after));
                plan_.otb_names.push_back(name);
            }
        }
        add({{"glyphfamily", "--fontconfig", plan_.family}},
            out("otb/" + fontconfig_file_name(plan_.family)), {});
    }

    FamilyPlan& plan_;
    const PlanInputs& inputs_;
    std::map<std::pair<std::size_t, Face>, std::size_t> face_steps_;
};

// The folder's sizes of this family that this run keeps, and the files of
// those it replaces (a size given again).
void take_folder_sizes(FamilyPlan& plan, std::vector<SizeEntry> in_folder) {
    const std::size_t given = plan.sizes.size();
    for (SizeEntry& entry : in_folder) {
        if (entry.survey.family != plan.family) continue;
        bool replaced = false;
        for (std::size_t i = 0; i < given; ++i) {
            const SizeEntry& size = plan.sizes[i];
            replaced = replaced || size.stem == entry.stem ||
                       size.survey.pixel_size == entry.survey.pixel_size;
        }
        if (!replaced) {
            entry.in_folder = true;
            plan.sizes.push_back(std::move(entry));
            continue;
        }
        for (Face face : FACES) {
            const std::string file = entry.stem + face_suffix(face);
            plan.replaced.push_back("bdf/" + file + ".bdf");
            plan.replaced.push_back("pcf/" + file + ".pcf.gz");
        }
    }
    // A replacing size with the same file names writes over them anyway.
    std::set<std::string> written;
    for (std::size_t i = 0; i < given; ++i) {
        for (Face face : FACES) {
            const std::string file = plan.sizes[i].stem + face_suffix(face);
            written.insert("bdf/" + file + ".bdf");
            written.insert("pcf/" + file + ".pcf.gz");
        }
    }
    std::erase_if(plan.replaced, [&](const std::string& file) { return written.count(file); });
}

// The commands that install the OpenType files for fontconfig by hand, as
// --install does: the files in a folder of the family's, and the file that
// lets fontconfig accept them where bitmap fonts are rejected by default.
std::string install_text(const FamilyPlan& plan, const std::string& dir) {
    const std::string fonts = "~/.local/share/fonts/" + shell_word(file_name_of(plan.family));
    const std::string conf_d = "~/.config/fontconfig/conf.d";
    std::string text = "Install for fontconfig (or run again with --install): mkdir -p " + fonts +
                       " " + conf_d + " && cp";
    for (const std::string& name : plan.otb_names)
        text += " " + shell_word(dir + "/otb/" + name);
    text += " " + fonts + "/ && cp " +
            shell_word(dir + "/otb/" + fontconfig_file_name(plan.family)) + " " + conf_d +
            "/ && fc-cache " + fonts + "\n";
    return text;
}

// Whether `name` is one of the family's OpenType files, of any sizes:
// "FAMILY-Style.otb" or "FAMILY-Style-8-12.otb".
bool family_otb_file(const std::string& family, const std::string& name) {
    for (Face face : FACES) {
        const std::string stem = file_name_of(family) + "-" + face_style(face);
        if (!name.starts_with(stem) || !name.ends_with(".otb")) continue;
        const std::string sizes = name.substr(stem.size(), name.size() - stem.size() - 4);
        bool sizes_only = true;
        for (std::size_t i = 0; i < sizes.size(); ++i)
            sizes_only =
                sizes_only &&
                (sizes[i] == '-' ? i + 1 < sizes.size() &&
                                       std::isdigit(static_cast<unsigned char>(sizes[i + 1]))
                                 : std::isdigit(static_cast<unsigned char>(sizes[i])) != 0);
        if (sizes_only && (sizes.empty() || sizes.front() == '-')) return true;
    }
    return false;
}

}  // namespace

const char* face_program(Face face) {
    return names_of(face).program;
}

const char* face_style(Face face) {
    return names_of(face).style;
}

const char* face_suffix(Face face) {
    return names_of(face).suffix;
}

const char* face_word(Face face) {
    return names_of(face).word;
}

std::optional<Face> face_of_word(const std::string& word) {
    for (Face face : FACES)
        if (word == face_word(face)) return face;
    return std::nullopt;
}

bool is_bold(Face face) {
    return face == Face::bold || face == Face::bold_oblique;
}

bool is_slanted(Face face) {
    return face == Face::oblique || face == Face::bold_oblique;
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

std::int64_t rows_per_step(const std::vector<std::string>& oblique_options) {
    std::int64_t rows = 3;
    for (std::size_t i = 0; i < oblique_options.size(); ++i) {
        const std::string& word = oblique_options[i];
        if (!word.starts_with("-s")) continue;
        const std::string value =
            word.size() > 2 ? word.substr(2)
                            : (i + 1 < oblique_options.size() ? oblique_options[i + 1] : "");
        if (!value.empty() && value.size() < 4 &&
            value.find_first_not_of("0123456789") == std::string::npos)
            rows = std::stoll(value);
    }
    return rows;
}

std::string otb_file_name(const std::string& family, Face face,
                          const std::vector<std::int64_t>& sizes, bool several) {
    std::string name = file_name_of(family) + "-" + face_style(face);
    if (several)
        for (std::int64_t size : sizes)
            name += "-" + std::to_string(size);
    return name + ".otb";
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

PlanResult make_plan(PlanInputs inputs, const FamilyOptions& overrides) {
    PlanResult result;
    if (std::string problem = check_sizes(inputs.sizes); !problem.empty()) {
        result.error = std::move(problem);
        return result;
    }
    FamilyPlan& plan = result.plan;
    plan.family = inputs.sizes.front().survey.family;
    plan.formats = inputs.formats;
    plan.date = inputs.date;
    plan.out_root = inputs.out_root;
    plan.folder_root = inputs.folder_root;
    for (SizeEntry& size : inputs.sizes) {
        if (overrides.bold) size.options.bold = *overrides.bold;
        if (overrides.oblique) size.options.oblique = *overrides.oblique;
    }
    plan.sizes = std::move(inputs.sizes);
    take_folder_sizes(plan, std::move(inputs.in_folder));
    if (!inputs.charset_mapped)
        plan.otb_note = "no OpenType files: the system knows no Unicode mapping of charset " +
                        charset(plan.sizes.front().survey);
    StepMaker(plan, inputs).make();
    // The family's files of an earlier grouping of its sizes.
    if (plan.formats.otb && plan.otb_note.empty())
        for (const std::string& name : inputs.folder_otb)
            if (family_otb_file(plan.family, name) &&
                std::find(plan.otb_names.begin(), plan.otb_names.end(), name) ==
                    plan.otb_names.end())
                plan.replaced.push_back("otb/" + name);
    return result;
}

std::string plan_text(const FamilyPlan& plan) {
    std::string text = "mkdir -p";
    for (const std::string& folder : plan.folders)
        text += " " + shell_word(folder);
    text += "\n";
    if (!plan.replaced.empty()) {
        text += "rm -f";
        for (const std::string& file : plan.replaced)
            text += " " + shell_word(plan.folder_root + "/" + file);
        text += "\n";
    }
    for (const Step& step : plan.steps) {
        for (std::size_t i = 0; i < step.commands.size(); ++i) {
            if (i > 0) text += " | ";
            for (std::size_t k = 0; k < step.commands[i].size(); ++k)
                text += (k ? " " : "") + shell_word(step.commands[i][k]);
        }
        if (!step.output.empty()) text += " > " + shell_word(step.output);
        text += "\n";
    }
    if (!plan.otb_note.empty()) text += "# " + plan.otb_note + "\n";
    return text;
}

std::string summary_text(const FamilyPlan& plan, const std::string& dir) {
    std::size_t given = 0;
    for (const SizeEntry& size : plan.sizes)
        given += size.in_folder ? 0 : 1;
    std::string text = "Family \"" + plan.family + "\", " + charset(plan.sizes.front().survey) +
                       ", size" + (given > 1 ? "s" : "");
    for (std::size_t i = 0; i < given; ++i)
        text += " " + std::to_string(plan.sizes[i].survey.pixel_size);
    text += "\n";
    for (std::size_t i = 0; i < given; ++i) {
        const SizeEntry& size = plan.sizes[i];
        const char* kind = size.survey.spacing == Spacing::proportional ? "proportional"
                           : size.survey.spacing == Spacing::cell       ? "character cell"
                                                                        : "monospaced";
        text += "  " + size.stem + " (" + kind + "): bold \"" + joined(size.options.bold) +
                "\", oblique \"" + joined(size.options.oblique) + "\"\n";
    }
    const std::size_t count = given * 4;
    if (plan.formats.bdf)
        text += "Wrote " + std::to_string(count) + " BDF faces to " + dir + "/bdf\n";
    if (plan.formats.pcf)
        text += "Wrote " + std::to_string(count) + " PCF faces and fonts.dir to " + dir + "/pcf\n";
    if (plan.formats.otb && plan.otb_note.empty()) {
        std::vector<std::int64_t> all;
        for (const SizeEntry& size : plan.sizes)
            all.push_back(size.survey.pixel_size);
        std::sort(all.begin(), all.end());
        text += "Wrote " + std::to_string(plan.otb_names.size()) +
                " OpenType bitmap files of size" + (all.size() > 1 ? "s" : "");
        for (std::int64_t size : all)
            text += " " + std::to_string(size);
        text += " and " + fontconfig_file_name(plan.family) + " to " + dir + "/otb\n";
        text += install_text(plan, dir);
    } else if (plan.formats.otb) {
        text += plan.otb_note + "\n";
    }
    if (plan.formats.pcf)
        text += "Serve to X: xset +fp \"$(realpath " + shell_word(dir + "/pcf") +
                ")\" && xset fp rehash\n";
    return text;
}

}  // namespace glyph::family
