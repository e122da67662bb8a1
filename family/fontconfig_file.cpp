#include "fontconfig_file.hpp"

#include "family_plan.hpp"

namespace glyph::family {

std::string xml_escaped(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&apos;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string fontconfig_file_name(const std::string& family) {
    return "65-" + file_name_of(family) + "-bitmaps.conf";
}

std::string fontconfig_file_text(const std::string& family) {
    const std::string name = xml_escaped(family);
    return "<?xml version=\"1.0\"?>\n"
           "<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
           "<!-- The bitmap fonts of the family \"" +
           name +
           "\" in OpenType files\n"
           "     accepted, although bitmap fonts are rejected by default; the\n"
           "     family's fonts of other formats stay as the system has them.\n"
           "     Remove this file to reject them again. -->\n"
           "<fontconfig>\n"
           "  <selectfont>\n"
           "    <acceptfont>\n"
           "      <pattern>\n"
           "        <patelt name=\"family\"><string>" +
           name +
           "</string></patelt>\n"
           "        <patelt name=\"fontformat\"><string>TrueType</string></patelt>\n"
           "        <patelt name=\"scalable\"><bool>false</bool></patelt>\n"
           "      </pattern>\n"
           "    </acceptfont>\n"
           "  </selectfont>\n"
           "</fontconfig>\n";
}

}  // namespace glyph::family
