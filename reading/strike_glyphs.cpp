#include "strike_glyphs.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstring>
#include <limits>
#include <vector>

#include "failure.hpp"
#include "ft_error.hpp"
#include "ft_memory.hpp"

namespace glyph::reading {
namespace {

constexpr std::size_t NOT_LOADED = std::numeric_limits<std::size_t>::max();
// A picture or placement beyond this many pixels is no bitmap glyph but a
// broken file; the limit keeps every sum of metrics within an int.
constexpr long MAX_EXTENT = 1L << 20;

// Bitmap fonts are stored one bit per pixel and come back so; a strike of
// gray pixels is inked where a pixel is at least half dark.
bool inked(const FT_Bitmap& bitmap, const unsigned char* row, unsigned column) {
    switch (bitmap.pixel_mode) {
        case FT_PIXEL_MODE_MONO:
            return (row[column / 8] >> (7 - column % 8)) & 1;
        case FT_PIXEL_MODE_GRAY2:
            return ((row[column / 4] >> (6 - 2 * (column % 4))) & 3) >= 2;
        case FT_PIXEL_MODE_GRAY4:
            return ((row[column / 2] >> (4 - 4 * (column % 2))) & 15) >= 8;
        case FT_PIXEL_MODE_GRAY:
            return row[column] >= 128;
        default:
            return false;
    }
}

int whole_pixels(FT_Pos value) {
    return static_cast<int>(value >= 0 ? (value + 32) >> 6 : -((-value + 32) >> 6));
}

class StrikeReader {
  public:
    explicit StrikeReader(const BitmapFont& font)
        : font_(font),
          face_(font.face()),
          glyph_count_(face_->num_glyphs > 0 ? static_cast<std::size_t>(face_->num_glyphs) : 0),
          picture_of_(glyph_count_) {
        for (std::size_t i = 0; i < glyph_count_; ++i)
            picture_of_[i] = NOT_LOADED;
    }

    StrikeGlyphs read() {
        if (!face_->charmap && face_->num_charmaps > 0) FT_Set_Charmap(face_, face_->charmaps[0]);
        out_.unicode = face_->charmap && face_->charmap->encoding == FT_ENCODING_UNICODE;
        std::vector<bool> reached(glyph_count_, false);
        if (face_->charmap) {
            FT_UInt index = 0;
            for (FT_ULong code = FT_Get_First_Char(face_, &index); index != 0;
                 code = FT_Get_Next_Char(face_, code, &index)) {
                if (index >= glyph_count_ || index < first_glyph_index(font_.kind())) continue;
                if (add(static_cast<std::int64_t>(code), index)) reached[index] = true;
            }
        }
        for (std::size_t index = first_glyph_index(font_.kind()); index < glyph_count_; ++index)
            if (!reached[index]) add(-1, static_cast<FT_UInt>(index));
        return std::move(out_);
    }

  private:
    // Adds the glyph under `code`; false when the strike holds no picture
    // of it.
    bool add(std::int64_t code, FT_UInt index) {
        std::size_t& picture = picture_of_[index];
        if (picture == NOT_LOADED) picture = load(index);
        if (picture == NOT_LOADED - 1) return false;
        out_.glyphs.reserve(out_.count + 1);
        out_.glyphs[out_.count++] = StrikeGlyph{code, index, picture};
        return true;
    }

    // The picture's number, or NOT_LOADED - 1 for a glyph the strike lacks.
    std::size_t load(FT_UInt index) {
        constexpr std::size_t ABSENT = NOT_LOADED - 1;
        FT_Int32 flags =
            FT_LOAD_RENDER | FT_LOAD_MONOCHROME | FT_LOAD_TARGET_MONO | FT_LOAD_NO_HINTING;
        // An OpenType strike may leave glyphs out, which must not be drawn
        // from outlines instead.
        if (font_.kind() != FontKind::x11) flags |= FT_LOAD_SBITS_ONLY;
        const unsigned long refused = ft_refused_blocks();
        const FT_Error error = FT_Load_Glyph(face_, index, flags);
        if (error && ft_refused_blocks() != refused) throw MemoryExhausted();
        const FT_GlyphSlot slot = face_->glyph;
        if (!error && slot->format == FT_GLYPH_FORMAT_BITMAP && fits(slot)) return keep(slot);
        if (font_.kind() != FontKind::x11) return ABSENT;
        throw FontError("Cannot read glyph " + std::to_string(index - 1) + " of " + font_.label() +
                        ": " + (error ? ft_error_text(error) : std::string("no bitmap")));
    }

    static bool fits(FT_GlyphSlot slot) {
        const FT_Bitmap& b = slot->bitmap;
        return (b.buffer || b.width == 0 || b.rows == 0) && b.width <= MAX_EXTENT &&
               b.rows <= MAX_EXTENT && slot->bitmap_left >= -MAX_EXTENT &&
               slot->bitmap_left <= MAX_EXTENT && slot->bitmap_top >= -MAX_EXTENT &&
               slot->bitmap_top <= MAX_EXTENT && slot->advance.x >= -(MAX_EXTENT << 6) &&
               slot->advance.x <= (MAX_EXTENT << 6);
    }

    std::size_t keep(FT_GlyphSlot slot) {
        const FT_Bitmap& bitmap = slot->bitmap;
        GlyphPicture p;
        p.width = static_cast<int>(bitmap.width);
        p.rows = static_cast<int>(bitmap.rows);
        p.left = slot->bitmap_left;
        p.top = slot->bitmap_top;
        p.advance = whole_pixels(slot->advance.x);
        p.row_bytes = (bitmap.width + 7) / 8;
        p.offset = out_.bits_used;
        const std::size_t size = checked_size(p.row_bytes, bitmap.rows);
        if (size > 0) copy_rows(bitmap, p.row_bytes, size);
        out_.pictures.reserve(out_.picture_count + 1);
        out_.pictures[out_.picture_count] = p;
        return out_.picture_count++;
    }

    // The picture's rows, one bit a pixel, onto the end of the block.
    void copy_rows(const FT_Bitmap& bitmap, std::size_t row_bytes, std::size_t size) {
        out_.bits.reserve(checked_size(1, out_.bits_used + size));
        std::uint8_t* to = out_.bits.data() + out_.bits_used;
        std::memset(to, 0, size);
        const unsigned magnitude =
            static_cast<unsigned>(bitmap.pitch < 0 ? -bitmap.pitch : bitmap.pitch);
        for (unsigned r = 0; r < bitmap.rows; ++r) {
            // A negative pitch stores the rows from the bottom up.
            const unsigned stored = bitmap.pitch < 0 ? bitmap.rows - 1 - r : r;
            const unsigned char* row = bitmap.buffer + std::size_t{stored} * magnitude;
            std::uint8_t* into = to + std::size_t{r} * row_bytes;
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
                std::memcpy(into, row, row_bytes);
                if (bitmap.width % 8)
                    into[row_bytes - 1] &= static_cast<std::uint8_t>(0xFF00 >> (bitmap.width % 8));
                continue;
            }
            for (unsigned c = 0; c < bitmap.width; ++c)
                if (inked(bitmap, row, c))
                    into[c / 8] |= static_cast<std::uint8_t>(0x80 >> (c % 8));
        }
        out_.bits_used += size;
    }

    const BitmapFont& font_;
    FT_Face face_;
    std::size_t glyph_count_;
    PodArray<std::size_t> picture_of_;
    StrikeGlyphs out_;
};

}  // namespace

StrikeGlyphs read_strike_glyphs(const BitmapFont& font) {
    return StrikeReader(font).read();
}

}  // namespace glyph::reading
