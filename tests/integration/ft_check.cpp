// Loads bitmap fonts with FreeType and renders every glyph of each.
//
//   ft_check [--glyphs N] [--dump FILE] FONT...
//
// For every FONT: open it, select its first strike, check that FreeType
// counts N glyphs (when --glyphs is given; FreeType adds one default glyph to
// a BDF or PCF font, so N is the number of glyphs in the file plus one), then
// load and render every glyph index as a one-bit bitmap. The first failure is
// reported as "ft_check: FONT: glyph index I: what" and the status is 1.
//
// With --dump, every glyph reachable through the font's character map is
// written to FILE, one line per character code, for comparison with the
// bitmaps of the BDF source:
//   CODE WIDTH ROWS LEFT TOP ADVANCE HEXROW,HEXROW,...
// Each row is written as 2*ceil(WIDTH/8) lowercase digits, bits beyond WIDTH
// cleared. With several fonts, each font's lines follow a line "FONT path".
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Options {
    long expected_glyphs = -1;
    std::string dump_path;
    std::vector<std::string> fonts;
};

int usage() {
    std::fprintf(stderr, "usage: ft_check [--glyphs N] [--dump FILE] FONT...\n");
    return 2;
}

bool fail(const std::string& font, long index, const char* what, int error) {
    if (index >= 0) {
        std::fprintf(stderr, "ft_check: %s: glyph index %ld: %s (FreeType error %d)\n",
                     font.c_str(), index, what, error);
    } else {
        std::fprintf(stderr, "ft_check: %s: %s (FreeType error %d)\n", font.c_str(), what, error);
    }
    return false;
}

// The glyph in the slot as hex rows, the bits beyond its width cleared.
std::string bitmap_rows(const FT_Bitmap& bitmap) {
    const unsigned bytes = (bitmap.width + 7) / 8;
    if (bitmap.rows == 0 || bytes == 0) return "-";
    static const char digits[] = "0123456789abcdef";
    std::string text(static_cast<std::size_t>(bitmap.rows) * (2 * bytes + 1) - 1, ',');
    std::size_t at = 0;
    for (unsigned r = 0; r < bitmap.rows; ++r) {
        const unsigned char* row = bitmap.buffer + static_cast<long>(r) * bitmap.pitch;
        for (unsigned b = 0; b < bytes; ++b) {
            unsigned value = row[b];
            const unsigned used = bitmap.width - b * 8;
            if (used < 8) value &= (0xFF00u >> used) & 0xFFu;
            text[at++] = digits[value >> 4];
            text[at++] = digits[value & 15];
        }
        ++at;  // the comma between rows
    }
    return text;
}

bool check_font(FT_Library library, const std::string& path, long expected, std::FILE* dump) {
    FT_Face face = nullptr;
    int error = FT_New_Face(library, path.c_str(), 0, &face);
    if (error) return fail(path, -1, "cannot open the font", error);

    bool ok = true;
    if (face->num_fixed_sizes < 1) {
        ok = fail(path, -1, "no bitmap strike", 0);
    } else if ((error = FT_Select_Size(face, 0)) != 0) {
        ok = fail(path, -1, "cannot select the strike", error);
    } else if (expected >= 0 && face->num_glyphs != expected) {
        std::fprintf(stderr, "ft_check: %s: FreeType counts %ld glyphs, expected %ld\n",
                     path.c_str(), static_cast<long>(face->num_glyphs), expected);
        ok = false;
    }

    for (long index = 0; ok && index < face->num_glyphs; ++index) {
        error = FT_Load_Glyph(face, static_cast<FT_UInt>(index), FT_LOAD_DEFAULT);
        if (error) {
            ok = fail(path, index, "cannot load", error);
            break;
        }
        error = FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO);
        if (error) {
            ok = fail(path, index, "cannot render", error);
            break;
        }
        const FT_GlyphSlot slot = face->glyph;
        if (slot->format != FT_GLYPH_FORMAT_BITMAP) {
            ok = fail(path, index, "not a bitmap after rendering", 0);
        } else if (slot->bitmap.rows > 0 && slot->bitmap.width > 0 &&
                   (slot->bitmap.pixel_mode != FT_PIXEL_MODE_MONO ||
                    slot->bitmap.buffer == nullptr)) {
            ok = fail(path, index, "rendered bitmap is not a one-bit image", 0);
        }
    }

    if (ok && dump != nullptr) {
        if (face->charmap == nullptr && face->num_charmaps > 0) {
            FT_Set_Charmap(face, face->charmaps[0]);
        }
        std::fprintf(dump, "FONT %s\n", path.c_str());
        FT_UInt index = 0;
        FT_ULong code = FT_Get_First_Char(face, &index);
        while (ok && index != 0) {
            error = FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO);
            if (error) {
                ok = fail(path, index, "cannot load for the dump", error);
                break;
            }
            const FT_GlyphSlot slot = face->glyph;
            std::fprintf(dump, "%lu %u %u %d %d %ld %s\n", static_cast<unsigned long>(code),
                         slot->bitmap.width, slot->bitmap.rows, slot->bitmap_left, slot->bitmap_top,
                         static_cast<long>(slot->advance.x >> 6),
                         bitmap_rows(slot->bitmap).c_str());
            code = FT_Get_Next_Char(face, code, &index);
        }
    }
    FT_Done_Face(face);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--glyphs" && i + 1 < argc) {
            options.expected_glyphs = std::strtol(argv[++i], nullptr, 10);
        } else if (arg == "--dump" && i + 1 < argc) {
            options.dump_path = argv[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            return usage();
        } else {
            options.fonts.push_back(arg);
        }
    }
    if (options.fonts.empty()) return usage();

    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "ft_check: cannot start FreeType\n");
        return 1;
    }
    std::FILE* dump = nullptr;
    if (!options.dump_path.empty()) {
        dump = std::fopen(options.dump_path.c_str(), "w");
        if (dump == nullptr) {
            std::fprintf(stderr, "ft_check: cannot write %s\n", options.dump_path.c_str());
            FT_Done_FreeType(library);
            return 1;
        }
    }
    bool ok = true;
    for (const std::string& font : options.fonts) {
        if (!check_font(library, font, options.expected_glyphs, dump)) {
            ok = false;
            break;
        }
    }
    if (dump != nullptr && std::fclose(dump) != 0) {
        std::fprintf(stderr, "ft_check: cannot write %s\n", options.dump_path.c_str());
        ok = false;
    }
    FT_Done_FreeType(library);
    return ok ? 0 : 1;
}
