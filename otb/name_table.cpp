#include "name_table.hpp"

#include <array>
#include <utility>

#include "font_buffer.hpp"

namespace glyph::otb {
namespace {

// The code point of the UTF-8 sequence at `at`, or the byte itself when no
// valid sequence starts there; `at` moves past what was read.
char32_t next_char(std::string_view text, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned lead = byte(at);
    const int length = lead < 0x80                   ? 1
                       : lead >= 0xC2 && lead < 0xE0 ? 2
                       : lead >= 0xE0 && lead < 0xF0 ? 3
                       : lead >= 0xF0 && lead < 0xF5 ? 4
                                                     : 0;
    if (length > 1 && at + static_cast<std::size_t>(length) <= text.size()) {
        char32_t code = lead & (0x7F >> length);
        bool valid = true;
        for (int i = 1; i < length && valid; ++i) {
            const unsigned next = byte(at + static_cast<std::size_t>(i));
            valid = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (valid && code >= smallest[length] && code <= 0x10FFFF &&
            (code < 0xD800 || code > 0xDFFF)) {
            at += static_cast<std::size_t>(length);
            return code;
        }
    }
    ++at;
    return lead;
}

std::vector<std::uint16_t> utf16(std::string_view text) {
    std::vector<std::uint16_t> units;
    for (std::size_t at = 0; at < text.size();) {
        const char32_t code = next_char(text, at);
        if (code < 0x10000) {
            units.push_back(static_cast<std::uint16_t>(code));
        } else {
            units.push_back(static_cast<std::uint16_t>(0xD800 + ((code - 0x10000) >> 10)));
            units.push_back(static_cast<std::uint16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        }
    }
    return units;
}

// Printable ASCII but the characters PostScript reserves, at most 63 in all.
std::string postscript_name(std::string_view family, std::string_view style) {
    std::string name;
    for (const char c : family)
        if (c >= 33 && c <= 126 && std::string_view("[](){}<>/%").find(c) == std::string_view::npos)
            name += c;
    if (name.empty()) name = "Font";
    const std::size_t room = 63 - 1 - style.size();
    if (name.size() > room) name.resize(room);
    return name + "-" + std::string(style);
}

}  // namespace

FaceNames face_names(const OtbStyle& style, std::string_view copyright) {
    FaceNames names;
    names.copyright = copyright;
    names.family = style.family;
    names.subfamily = style.bold ? (style.slanted ? "Bold Italic" : "Bold")
                                 : (style.slanted ? "Italic" : "Regular");
    names.full = style.family + " " + names.subfamily;
    names.version = style.version;
    std::string compact = names.subfamily;
    std::erase(compact, ' ');
    names.postscript = postscript_name(style.family, compact);
    names.unique = names.postscript + ";" + style.version;
    return names;
}

std::vector<std::uint8_t> name_table(const FaceNames& names) {
    const std::array<std::pair<int, const std::string*>, 7> all = {{{0, &names.copyright},
                                                                    {1, &names.family},
                                                                    {2, &names.subfamily},
                                                                    {3, &names.unique},
                                                                    {4, &names.full},
                                                                    {5, &names.version},
                                                                    {6, &names.postscript}}};
    std::vector<std::pair<int, std::vector<std::uint16_t>>> records;
    for (const auto& [id, text] : all)
        if (!text->empty()) records.emplace_back(id, utf16(*text));

    FontBuffer out;
    const auto count = static_cast<std::int64_t>(records.size());
    out.u16(0);
    out.u16(count);
    out.u16(6 + 12 * count);
    std::int64_t offset = 0;
    for (const auto& [id, units] : records) {
        const auto length = 2 * static_cast<std::int64_t>(units.size());
        out.u16(3);      // Windows
        out.u16(1);      // Unicode BMP
        out.u16(0x409);  // US English
        out.u16(id);
        out.u16(length);
        out.u16(offset);
        offset += length;
    }
    for (const auto& record : records)
        for (const std::uint16_t unit : record.second)
            out.u16(unit);
    return out.take();
}

}  // namespace glyph::otb
