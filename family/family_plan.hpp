// What a run of glyphfamily does, worked out before anything is done: a list
// of commands, each a pipeline of programs with its arguments and the file
// its output goes to. -n prints them as a shell script; a run carries out the
// same commands, the project's own programs in-process and the converters as
// child processes. Paths of the output are under a root: the output folder
// in the script, the run's stage in a real run.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "face_choice.hpp"
#include "face_names.hpp"
#include "family_options.hpp"
#include "font_survey.hpp"

namespace glyph::family {

enum class Face { regular, bold, oblique, bold_oblique };
inline constexpr std::array<Face, 4> FACES = {Face::regular, Face::bold, Face::oblique,
                                              Face::bold_oblique};

// The filter that makes a face; none for the regular one, which is copied.
const char* face_program(Face face);
// "Regular", "Bold", "Oblique", "BoldOblique": in the OpenType file names.
const char* face_style(Face face);
// "", "-bold", "-oblique", "-bold-oblique": after the stem of the BDF and PCF files.
const char* face_suffix(Face face);
// "regular", "bold", "oblique", "bold-oblique": the face as glyphfamily's own steps name it.
const char* face_word(Face face);
std::optional<Face> face_of_word(const std::string& word);
bool is_bold(Face face);
bool is_slanted(Face face);

// One size of the family: a regular face as given, or one that an earlier
// run left in the output folder's bdf/ with its derived faces.
struct SizeEntry {
    std::string path;  // as named on the command line, or the folder's file
    std::string stem;  // the name of its faces' files, without suffix and extension
    FontSurvey survey;
    FaceName name;  // the regular face's
    FaceOptions options;
    // Its characters as Unicode code points, ascending; sizes of one coverage
    // share their OpenType files.
    std::vector<char32_t> coverage;
    bool in_folder = false;  // an earlier run's: nothing to make, only to read
    // A strike of a font of another format (PCF, OpenType), converted to BDF
    // by glyphbdf as the first step: its pixel size.
    std::optional<int> strike;
};

// One command of the plan.
struct Step {
    // The programs of a pipeline, each with its arguments (argv[0] first).
    std::vector<std::vector<std::string>> commands;
    std::string output;              // where the pipeline's output goes; empty: nowhere
    std::vector<std::size_t> after;  // steps (earlier in the list) it needs
};

struct FamilyPlan {
    std::string family;
    std::vector<SizeEntry> sizes;  // this run's first, then the folder's own
    Formats formats;
    std::int64_t date = 0;              // of the OpenType files
    std::string out_root, folder_root;  // as the inputs give them
    std::vector<std::string> folders;   // made before the steps
    std::vector<Step> steps;
    // Files of the folder that this run's sizes replace, relative to it.
    std::vector<std::string> replaced;
    std::vector<std::string> otb_names;  // the OpenType files' names in otb/
    std::string otb_note;                // why there are no OpenType files, if there are none
};

struct PlanInputs {
    std::vector<SizeEntry> sizes;      // this run's
    std::vector<SizeEntry> in_folder;  // the folder's regular faces of any family
    Formats formats;
    std::int64_t date = 0;
    bool charset_mapped = true;           // the charset has a Unicode mapping
    std::vector<std::string> folder_otb;  // the names of the files in the folder's otb/
    std::string out_root;                 // where new files are made
    std::string folder_root;              // where the folder's own files are read
};

// The plan, or the message that says why there is none: fonts of different
// families or charsets, a size given twice, two fonts whose faces would
// share a file name. The options of `overrides` replace the chosen ones.
struct PlanResult {
    FamilyPlan plan;
    std::string error;
};
PlanResult make_plan(PlanInputs inputs, const FamilyOptions& overrides);

// A word quoted for a POSIX shell where it needs to be.
std::string shell_word(const std::string& word);

// The plan as a shell script.
std::string plan_text(const FamilyPlan& plan);

// The summary a finished run ends with: the family, its sizes, the options
// of each size, what was written where, and how to install it.
std::string summary_text(const FamilyPlan& plan, const std::string& dir);

// The family name as a file name: no slashes, no leading dot, no control
// characters.
std::string file_name_of(const std::string& family);

// The rows per step that the oblique options give (-s N; 3 without).
std::int64_t rows_per_step(const std::vector<std::string>& oblique_options);

// The OpenType file's name of a face of sizes of one coverage: the sizes
// are named only where the family has several files per face.
std::string otb_file_name(const std::string& family, Face face,
                          const std::vector<std::int64_t>& sizes, bool several);

}  // namespace glyph::family
