#include "ft_font.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <utility>

namespace glyph {
namespace {

// 26.6 fixed point to whole pixels, to the nearest.
int pixels(FT_Pos value) {
    return static_cast<int>(value >= 0 ? (value + 32) >> 6 : -((-value + 32) >> 6));
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

// The glyph slot's picture as ink and paper: a gray pixel is ink from half
// its range up.
std::optional<Bitmap> ink_of(const FT_Bitmap& bitmap) {
    const int bits = bits_per_pixel(bitmap.pixel_mode);
    if (bits == 0) return std::nullopt;
    Bitmap image(bitmap.width, bitmap.rows);
    const unsigned max = (1u << bits) - 1;
    // A negative pitch means the rows are stored bottom first.
    const unsigned char* row = bitmap.buffer;
    if (bitmap.pitch < 0 && bitmap.rows > 0)
        row -= static_cast<std::ptrdiff_t>(bitmap.pitch) * (bitmap.rows - 1);
    for (int y = 0; y < image.height(); ++y, row += bitmap.pitch) {
        for (int x = 0; x < image.width(); ++x) {
            const unsigned bit = static_cast<unsigned>(x) * bits;
            const unsigned value = (row[bit / 8] >> (8 - bits - bit % 8)) & max;
            if (2 * value > max) image.set(x, y);
        }
    }
    return image;
}

}  // namespace

FontLibrary::FontLibrary() {
    FT_Library library = nullptr;
    error_ = FT_Init_FreeType(&library);
    library_ = error_ ? nullptr : library;
}

FontLibrary::~FontLibrary() {
    if (library_) FT_Done_FreeType(library_);
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

std::optional<Glyph> Font::glyph(char32_t code) {
    const FT_UInt index = FT_Get_Char_Index(face_, code);
    // Index 0 answers every code the font lacks, with its default glyph: the
    // box is the clearer sign of a missing character.
    if (index == 0) return std::nullopt;
    if (FT_Load_Glyph(face_, index, FT_LOAD_RENDER | FT_LOAD_MONOCHROME | FT_LOAD_TARGET_MONO))
        return std::nullopt;
    const FT_GlyphSlot slot = face_->glyph;
    if (slot->format != FT_GLYPH_FORMAT_BITMAP) return std::nullopt;
    std::optional<Bitmap> image = ink_of(slot->bitmap);
    if (!image) return std::nullopt;
    return Glyph{std::move(*image), slot->bitmap_left, slot->bitmap_top, pixels(slot->advance.x)};
}

}  // namespace glyph
