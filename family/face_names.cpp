#include "face_names.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

namespace glyph::family {
namespace {

// The fields of an XLFD name ("-Foundry-Family-Weight-Slant-...": fourteen
// fields after a leading dash), or none for another name.
constexpr std::size_t XLFD_FIELDS = 14;
constexpr std::size_t WEIGHT_FIELD = 2;
constexpr std::size_t SLANT_FIELD = 3;

std::vector<std::string> xlfd_fields(const std::string& name) {
    std::vector<std::string> fields;
    if (name.empty() || name.front() != '-') return fields;
    std::size_t at = 1;
    while (true) {
        const std::size_t dash = name.find('-', at);
        fields.push_back(name.substr(at, dash == std::string::npos ? dash : dash - at));
        if (dash == std::string::npos) break;
        at = dash + 1;
    }
    if (fields.size() != XLFD_FIELDS) fields.clear();
    return fields;
}

std::string folded(const std::string& text) {
    std::string key;
    for (unsigned char c : text)
        if (std::isalnum(c)) key += static_cast<char>(std::tolower(c));
    return key;
}

bool bold_or_heavier(const std::string& weight) {
    static constexpr std::array<const char*, 9> HEAVY = {"bold",       "extrabold",  "ultrabold",
                                                         "heavy",      "black",      "extrablack",
                                                         "ultrablack", "ultraheavy", "extraheavy"};
    const std::string key = folded(weight);
    return std::find(HEAVY.begin(), HEAVY.end(), key) != HEAVY.end();
}

bool slanted(const std::string& slant) {
    const std::string key = folded(slant);
    return key == "i" || key == "o" || key == "ri" || key == "ro";
}

}  // namespace

std::string bdf_string(const std::string& value) {
    std::string text = "\"";
    for (char c : value) {
        text += c;
        if (c == '"') text += '"';
    }
    return text + '"';
}

RegularName regular_name(const BdfFont& font) {
    RegularName result;
    FaceName& name = result.name;
    name.font_name = font.name;
    const std::vector<std::string> fields = xlfd_fields(font.name);
    name.weight = font.property("WEIGHT_NAME") ? font.text("WEIGHT_NAME")
                  : fields.empty()             ? std::string()
                                               : fields[WEIGHT_FIELD];
    name.slant = font.property("SLANT") ? font.text("SLANT")
                 : fields.empty()       ? std::string()
                                        : fields[SLANT_FIELD];
    if (bold_or_heavier(name.weight) || slanted(name.slant))
        result.error = "not a regular face: " + font.name + " (WEIGHT_NAME " +
                       bdf_string(name.weight) + ", SLANT " + bdf_string(name.slant) +
                       "); give the upright face of normal weight";
    return result;
}

FaceName derived_name(const FaceName& regular, bool bold, bool slanted) {
    FaceName name = regular;
    if (bold) name.weight = "Bold";
    if (slanted) name.slant = "I";
    std::vector<std::string> fields = xlfd_fields(regular.font_name);
    if (fields.empty()) {
        if (bold) name.font_name += "-Bold";
        if (slanted) name.font_name += "-Italic";
        return name;
    }
    if (bold) fields[WEIGHT_FIELD] = name.weight;
    if (slanted) fields[SLANT_FIELD] = name.slant;
    name.font_name.clear();
    for (const std::string& field : fields)
        name.font_name += "-" + field;
    return name;
}

}  // namespace glyph::family
