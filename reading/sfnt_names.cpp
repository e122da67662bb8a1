#include "sfnt_names.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H

namespace glyph::reading {
namespace {

void append_utf8(std::string& text, char32_t c) {
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-16BE, a broken surrogate taken as U+FFFD.
std::string from_utf16be(const FT_Byte* bytes, FT_UInt size) {
    std::string text;
    for (FT_UInt i = 0; i + 1 < size; i += 2) {
        char32_t c = static_cast<char32_t>(bytes[i] << 8 | bytes[i + 1]);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < size) {
            const char32_t low = static_cast<char32_t>(bytes[i + 2] << 8 | bytes[i + 3]);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (c >= 0xD800 && c < 0xE000) c = 0xFFFD;
        append_utf8(text, c);
    }
    return text;
}

// Mac Roman agrees with ASCII, which is what names of this kind hold; other
// bytes are left out rather than guessed.
std::string from_mac_roman(const FT_Byte* bytes, FT_UInt size) {
    std::string text;
    for (FT_UInt i = 0; i < size; ++i)
        if (bytes[i] < 0x80) text += static_cast<char>(bytes[i]);
    return text;
}

int preference(const FT_SfntName& name) {
    if (name.platform_id == TT_PLATFORM_MICROSOFT &&
        (name.encoding_id == TT_MS_ID_UNICODE_CS || name.encoding_id == TT_MS_ID_UCS_4))
        return name.language_id == TT_MS_LANGID_ENGLISH_UNITED_STATES ? 4 : 3;
    if (name.platform_id == TT_PLATFORM_APPLE_UNICODE) return 2;
    if (name.platform_id == TT_PLATFORM_MACINTOSH && name.encoding_id == TT_MAC_ID_ROMAN) return 1;
    return 0;
}

}  // namespace

std::string sfnt_name(FT_FaceRec_* face, unsigned name_id) {
    FT_SfntName best{};
    int best_preference = 0;
    const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
    for (FT_UInt i = 0; i < count; ++i) {
        FT_SfntName name;
        if (FT_Get_Sfnt_Name(face, i, &name) != 0 || name.name_id != name_id) continue;
        if (preference(name) > best_preference) {
            best = name;
            best_preference = preference(name);
        }
    }
    if (best_preference == 0) return {};
    if (best_preference == 1) return from_mac_roman(best.string, best.string_len);
    return from_utf16be(best.string, best.string_len);
}

}  // namespace glyph::reading
