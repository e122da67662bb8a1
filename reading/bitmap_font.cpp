#include "bitmap_font.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BDF_H
#include FT_FONT_FORMATS_H
#include FT_MODULE_H

#include <cstring>
#include <utility>

#include "failure.hpp"
#include "ft_error.hpp"
#include "ft_memory.hpp"

namespace glyph::reading {
namespace {

FontKind kind_of(FT_Face face) {
    const char* format = FT_Get_Font_Format(face);
    if (!format) return FontKind::other;
    if (std::strcmp(format, "BDF") == 0 || std::strcmp(format, "PCF") == 0) return FontKind::x11;
    if (std::strcmp(format, "TrueType") == 0 || std::strcmp(format, "CFF") == 0)
        return FontKind::sfnt;
    return FontKind::other;
}

std::string sizes_text(const std::vector<StrikeInfo>& strikes) {
    std::string text;
    for (const StrikeInfo& strike : strikes)
        text += (text.empty() ? "" : " ") + std::to_string(strike.pixel_size);
    return text;
}

}  // namespace

struct BitmapFont::Impl {
    std::string label;
    std::string bytes;  // a memory face reads these until it is done
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    FontKind kind = FontKind::other;
    std::vector<StrikeInfo> strikes;
    int selected = -1;
    bool counted = false;

    ~Impl() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_Library(library);
    }

    void open(const std::string* path) {
        const unsigned long refused = ft_refused_blocks();
        int error = new_capped_library(library);
        if (!error) {
            error =
                path ? FT_New_Face(library, path->c_str(), 0, &face)
                     : FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte*>(bytes.data()),
                                          static_cast<FT_Long>(bytes.size()), 0, &face);
        }
        if (error && ft_refused_blocks() != refused) throw MemoryExhausted();
        if (error) throw FontError("Cannot open font " + label + ": " + ft_error_text(error));
        if (face->num_fixed_sizes < 1 || !face->available_sizes)
            throw FontError("No bitmap strike in " + label +
                            ": an outline font, which otf2bdf converts");
        kind = kind_of(face);
        for (int i = 0; i < face->num_fixed_sizes; ++i)
            strikes.push_back(describe(i));
    }

    // X11 fonts are sized by their PIXEL_SIZE property, from which FreeType
    // derives the strike's em; an outline font's strikes by their em.
    int pixel_size(int strike) const {
        BDF_PropertyRec property;
        if (kind == FontKind::x11 && FT_Get_BDF_Property(face, "PIXEL_SIZE", &property) == 0 &&
            property.type != BDF_PROPERTY_TYPE_ATOM && property.u.integer > 0)
            return property.u.integer;
        return static_cast<int>((face->available_sizes[strike].y_ppem + 32) >> 6);
    }

    StrikeInfo describe(int strike) const {
        StrikeInfo info;
        info.pixel_size = pixel_size(strike);
        info.family = face->family_name ? face->family_name : "";
        info.style = face->style_name ? face->style_name : "";
        return info;
    }

    // Counted only when asked for: an OpenType strike need not hold every
    // glyph of the file, so each is looked up in each strike.
    void count_glyphs() {
        if (counted) return;
        counted = true;
        const FT_UInt first = first_glyph_index(kind);
        const FT_UInt count = face->num_glyphs > 0 ? static_cast<FT_UInt>(face->num_glyphs) : 0;
        for (std::size_t strike = 0; strike < strikes.size(); ++strike) {
            StrikeInfo& info = strikes[strike];
            if (kind == FontKind::x11) {
                info.glyphs = count > first ? count - first : 0;
                continue;
            }
            if (FT_Select_Size(face, static_cast<FT_Int>(strike)) != 0) continue;
            for (FT_UInt index = first; index < count; ++index)
                if (FT_Load_Glyph(face, index, FT_LOAD_SBITS_ONLY | FT_LOAD_BITMAP_METRICS_ONLY) ==
                    0)
                    ++info.glyphs;
        }
        if (selected >= 0) FT_Select_Size(face, selected);
    }
};

BitmapFont::BitmapFont(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
BitmapFont::~BitmapFont() = default;
BitmapFont::BitmapFont(BitmapFont&&) noexcept = default;
BitmapFont& BitmapFont::operator=(BitmapFont&&) noexcept = default;

BitmapFont BitmapFont::open_file(const std::string& path) {
    auto impl = std::make_unique<Impl>();
    impl->label = path;
    impl->open(&path);
    return BitmapFont(std::move(impl));
}

BitmapFont BitmapFont::open_bytes(std::string bytes, std::string label) {
    auto impl = std::make_unique<Impl>();
    impl->label = std::move(label);
    impl->bytes = std::move(bytes);
    impl->open(nullptr);
    return BitmapFont(std::move(impl));
}

const std::string& BitmapFont::label() const {
    return impl_->label;
}

FontKind BitmapFont::kind() const {
    return impl_->kind;
}

std::string_view BitmapFont::format() const {
    const char* format = FT_Get_Font_Format(impl_->face);
    return format ? format : "";
}

const std::vector<StrikeInfo>& BitmapFont::strikes() const {
    impl_->count_glyphs();
    return impl_->strikes;
}

void BitmapFont::select_strike(std::optional<int> pixel_size) {
    const std::vector<StrikeInfo>& strikes = impl_->strikes;
    int chosen = -1;
    if (!pixel_size) {
        if (strikes.size() != 1)
            throw FontError(impl_->label + " has strikes of several sizes; choose one with -z: " +
                            sizes_text(strikes));
        chosen = 0;
    } else {
        for (std::size_t i = 0; i < strikes.size() && chosen < 0; ++i)
            if (strikes[i].pixel_size == *pixel_size) chosen = static_cast<int>(i);
        if (chosen < 0)
            throw FontError("No strike of " + std::to_string(*pixel_size) + " pixels in " +
                            impl_->label + "; its sizes: " + sizes_text(strikes));
    }
    if (FT_Error error = FT_Select_Size(impl_->face, chosen))
        throw FontError("Cannot open font " + impl_->label + ": " + ft_error_text(error));
    impl_->selected = chosen;
}

int BitmapFont::selected_pixel_size() const {
    return impl_->selected < 0
               ? 0
               : impl_->strikes[static_cast<std::size_t>(impl_->selected)].pixel_size;
}

FT_FaceRec_* BitmapFont::face() const {
    return impl_->face;
}

}  // namespace glyph::reading
