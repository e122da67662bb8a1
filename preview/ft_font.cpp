#include "ft_font.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H

#include FT_MODULE_H

#include <algorithm>
#include <cstdint>
#include <utility>

#include "ft_error.hpp"
#include "ft_memory.hpp"

namespace glyph {
namespace {

// The farthest from the pen, in pixels, that a glyph may reach or move it,
// and the largest metric a font may give: as far as a picture may be wide,
// and small enough that sums of a few never overflow an int.
constexpr std::int64_t MAX_EXTENT = std::int64_t{1} << 20;

// 26.6 fixed point to whole pixels, to the nearest, kept within MAX_EXTENT
// whatever a font claims.
int pixels(FT_Pos value) {
    const std::int64_t limit = MAX_EXTENT << 6;
    const std::int64_t v = std::clamp<std::int64_t>(value, -limit, limit);
    return static_cast<int>(v >= 0 ? (v + 32) >> 6 : -((-v + 32) >> 6));
}

bool within_extent(std::int64_t value) {
    return value >= -MAX_EXTENT && value <= MAX_EXTENT;
}

// Bits per pixel of the picture kinds a bitmap strike can hold; BDF fonts of
// depth 2, 4 and 8 come as the gray kinds. 0 for the rest.
int bits_per_pixel(unsigned char mode) {
    switch (mode) {
        case FT_PIXEL_MODE_MONO:
            return 1;
        case FT_PIXEL_MODE_GRAY2:
            return 2;
        case FT_PIXEL_MODE_GRAY4:
            return 4;
        case FT_PIXEL_MODE_GRAY:
            return 8;
        default:
            return 0;
    }
}

}  // namespace

FontLibrary::FontLibrary() {
    error_ = new_capped_library(library_);
}

FontLibrary::~FontLibrary() {
    if (library_) FT_Done_Library(library_);
}

std::unique_ptr<Font> Font::open_file(FontLibrary& library, const std::string& path,
                                      std::string& reason) {
    std::unique_ptr<Font> font(new Font);
    int error = library.error_;
    if (!error) error = FT_New_Face(library.library_, path.c_str(), 0, &font->face_);
    return finish(std::move(font), error, reason);
}

std::unique_ptr<Font> Font::open_bytes(FontLibrary& library, std::string bytes,
                                       std::string& reason) {
    std::unique_ptr<Font> font(new Font);
    font->bytes_ = std::move(bytes);
    int error = library.error_;
    if (!error)
        error = FT_New_Memory_Face(library.library_,
                                   reinterpret_cast<const FT_Byte*>(font->bytes_.data()),
                                   static_cast<FT_Long>(font->bytes_.size()), 0, &font->face_);
    return finish(std::move(font), error, reason);
}

std::unique_ptr<Font> Font::finish(std::unique_ptr<Font> font, int error, std::string& reason) {
    if (!error) error = font->set_up();
    if (!error) return font;
    reason = ft_error_text(error);
    return nullptr;
}

Font::~Font() {
    if (face_) FT_Done_Face(face_);
}

int Font::set_up() {
    // A BDF font is one strike; a face without any is not a bitmap font.
    if (face_->num_fixed_sizes < 1) return FT_Err_Invalid_Pixel_Size;
    if (FT_Error error = FT_Select_Size(face_, 0)) return error;
    // Without a Unicode map the font's own encoding stands in, which agrees
    // with Unicode on ASCII in the fonts one meets.
    if (FT_Select_Charmap(face_, FT_ENCODING_UNICODE) != 0 && face_->num_charmaps > 0)
        FT_Set_Charmap(face_, face_->charmaps[0]);

    if (!face_->size || !face_->available_sizes) return FT_Err_Invalid_Pixel_Size;
    const FT_Size_Metrics& metrics = face_->size->metrics;
    ascent_ = pixels(metrics.ascender);
    descent_ = -pixels(metrics.descender);
    if (ascent_ + descent_ <= 0) {
        ascent_ = face_->available_sizes[0].height;
        descent_ = 0;
    }
    cell_width_ = face_->available_sizes[0].width;
    if (cell_width_ <= 0) cell_width_ = pixels(metrics.max_advance);
    if (cell_width_ <= 0) cell_width_ = (ascent_ + descent_ + 1) / 2;
    return 0;
}

bool Font::has(char32_t code) const {
    return FT_Get_Char_Index(face_, code) != 0;
}

std::optional<Glyph> Font::glyph(char32_t code) {
    const FT_UInt index = FT_Get_Char_Index(face_, code);
    // Index 0 answers every code the font lacks, with its default glyph: the
    // box is the clearer sign of a missing character.
    if (index == 0) return std::nullopt;
    if (FT_Load_Glyph(face_, index, FT_LOAD_RENDER | FT_LOAD_MONOCHROME | FT_LOAD_TARGET_MONO))
        return std::nullopt;
    const FT_GlyphSlot slot = face_->glyph;
    if (!slot || slot->format != FT_GLYPH_FORMAT_BITMAP) return std::nullopt;
    // A glyph placed or advancing beyond any picture's size is as unusable as
    // one without a picture.
    if (!within_extent(slot->bitmap_left) || !within_extent(slot->bitmap_top) ||
        !within_extent(slot->advance.x / 64))
        return std::nullopt;
    const FT_Bitmap& bitmap = slot->bitmap;
    std::optional<Bitmap> image = unpack_ink({bitmap.buffer, bitmap.width, bitmap.rows,
                                              bitmap.pitch, bits_per_pixel(bitmap.pixel_mode)});
    if (!image) return std::nullopt;
    return Glyph{std::move(*image), slot->bitmap_left, slot->bitmap_top, pixels(slot->advance.x)};
}

}  // namespace glyph
