#include "converted_fonts.hpp"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <string_view>

#include "file_io.hpp"

#if GLYPH_FAMILY_FREETYPE
#include <ft2build.h>
#include FT_FREETYPE_H
#endif

namespace glyph::family {
namespace {

std::string head_of(const std::string& path, std::size_t size) {
    std::ifstream file(path, std::ios::binary);
    std::string head(size, '\0');
    file.read(head.data(), static_cast<std::streamsize>(size));
    head.resize(static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
    return head;
}

#if GLYPH_FAMILY_FREETYPE
// FreeType's PCF driver reads through its gzip stream as well, so a font
// that opens is whole past the header too.
std::string freetype_opens(const std::string& path) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return {};  // nothing to check with
    FT_Face face = nullptr;
    const FT_Error error = FT_New_Face(library, path.c_str(), 0, &face);
    std::string problem;
    if (error != 0) {
        const char* text = FT_Error_String(error);
        problem = "FreeType cannot open it (" +
                  (text ? std::string(text) : "error " + std::to_string(error)) + ")";
    } else if (face->num_fixed_sizes < 1) {
        problem = "FreeType finds no bitmap strike in it";
    }
    if (face) FT_Done_Face(face);
    FT_Done_FreeType(library);
    return problem;
}
#else
std::string freetype_opens(const std::string&) {
    return {};
}
#endif

}  // namespace

std::string check_pcf(const std::string& path) {
    const bool compressed = path.ends_with(".gz");
    const std::string head = head_of(path, 4);
    if (compressed ? !head.starts_with("\x1f\x8b") : head != std::string_view("\1fcp", 4))
        return compressed ? "not gzip data" : "no PCF header";
    return freetype_opens(path);
}

std::string check_fonts_dir(const std::string& path, const std::vector<std::string>& fonts) {
    std::string text;
    if (std::string problem = read_file(path, text); !problem.empty()) return problem;
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        if (end > at) lines.emplace_back(text.data() + at, end - at);
        at = end + 1;
    }
    std::size_t count = 0;
    const std::string_view first = lines.empty() ? std::string_view() : lines.front();
    const auto [stop, error] = std::from_chars(first.data(), first.data() + first.size(), count);
    if (lines.empty() || error != std::errc() || stop != first.data() + first.size())
        return "no count of fonts on its first line";
    if (count != lines.size() - 1)
        return "it counts " + std::to_string(count) + " fonts but lists " +
               std::to_string(lines.size() - 1);
    for (const std::string& font : fonts) {
        const bool listed = std::any_of(lines.begin() + 1, lines.end(), [&](std::string_view line) {
            return line.starts_with(font + " ");
        });
        if (!listed) return font + " is not listed";
    }
    return {};
}

}  // namespace glyph::family
