// What a run of glyphfamily does, worked out before anything is done, so that
// -n prints exactly the commands a real run carries out. Paths of the output
// are relative to the output folder ("bdf/a-bold.bdf"); a real run makes them
// in its stage, the plan prints them under the output folder.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "face_choice.hpp"
#include "family_options.hpp"
#include "font_survey.hpp"

namespace glyph::family {

enum class Face { regular, bold, oblique, bold_oblique };
inline constexpr std::array<Face, 4> FACES = {Face::regular, Face::bold, Face::oblique,
                                              Face::bold_oblique};

// The filter that makes a face; none for the regular one, which is copied.
const char* face_program(Face face);
// "Regular", "Bold", "Oblique", "BoldOblique".
const char* face_style(Face face);

// One size of the family: a regular face as given.
struct SizeEntry {
    std::string path;  // as named on the command line
    std::string stem;  // its file name without ".bdf"
    FontSurvey survey;
    FaceOptions options;
};

struct FaceRun {
    std::size_t size;
    Face face;
    std::vector<std::string> args;  // the filter's arguments, its input last
    std::string output;
};

struct PcfRun {
    std::size_t size;
    Face face;
    bool terminal;  // bdftopcf -t, for character-cell fonts
    std::string input, pcf, output;
};

struct OtbRun {
    Face face;
    // The converter rejects ISO8859-1 fonts, whose code points are those of
    // ISO10646-1: it is given copies under that charset.
    bool recode;
    std::vector<std::string> faces;   // the BDF faces, one per size
    std::vector<std::string> inputs;  // what the converter reads
    std::string output;
};

struct FamilyPlan {
    std::string family;
    std::vector<SizeEntry> sizes;
    Formats formats;
    std::optional<std::int64_t> epoch;  // SOURCE_DATE_EPOCH
    std::vector<FaceRun> faces;         // sizes in order, the four faces of each
    std::vector<PcfRun> pcf;
    std::vector<OtbRun> otb;
};

// The plan for these sizes, or the message that says why there is none:
// fonts of different families or charsets, a size given twice, two fonts
// whose faces would share a file name. The options of `overrides` replace
// the chosen ones.
struct PlanResult {
    FamilyPlan plan;
    std::string error;
};
PlanResult make_plan(std::vector<SizeEntry> sizes, const Formats& formats,
                     const FamilyOptions& overrides, std::optional<std::int64_t> epoch);

// A word quoted for a POSIX shell where it needs to be.
std::string shell_word(const std::string& word);

// The plan as shell commands, outputs under `dir`.
std::string plan_text(const FamilyPlan& plan, const std::string& dir);

// The summary a finished run ends with: the family, its sizes, the options
// of each size, what was written where, and how to install it.
std::string summary_text(const FamilyPlan& plan, const std::string& dir);

// The family name as a file name: no slashes, no leading dot.
std::string file_name_of(const std::string& family);

}  // namespace glyph::family
