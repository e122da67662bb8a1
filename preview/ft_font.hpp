// Fonts read through FreeType, whose BDF driver does all the parsing. The
// FreeType handles stay inside this pair of classes, which own them, so no
// other file of the program sees a FreeType type.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "bitmap.hpp"

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace glyph {

// One FreeType instance for the run. A failure to start it is kept and
// reported by every font opened through it, so the run's messages keep
// their one form.
class FontLibrary {
  public:
    FontLibrary();
    ~FontLibrary();
    FontLibrary(const FontLibrary&) = delete;
    FontLibrary& operator=(const FontLibrary&) = delete;

  private:
    friend class Font;
    FT_LibraryRec_* library_ = nullptr;
    int error_ = 0;
};

// A glyph's picture placed against the pen position on the baseline: its top
// left pixel is `left` to the right of the pen and `top` above the baseline.
struct Glyph {
    Bitmap image;
    int left = 0;
    int top = 0;
    int advance = 0;
};

// A face with its bitmap strike selected. It must not outlive its library.
class Font {
  public:
    // The font in the named file, or nothing with FreeType's reason.
    static std::unique_ptr<Font> open_file(FontLibrary& library, const std::string& path,
                                           std::string& reason);
    // The font held in `bytes` (standard input, which FreeType cannot open
    // by name), or nothing with FreeType's reason.
    static std::unique_ptr<Font> open_bytes(FontLibrary& library, std::string bytes,
                                            std::string& reason);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // The glyph for a Unicode code point, or nothing when the font has none.
    // Not const: FreeType renders into the face's one glyph slot.
    std::optional<Glyph> glyph(char32_t code);
    // Whether the font has a glyph for a Unicode code point.
    bool has(char32_t code) const;
    int ascent() const { return ascent_; }
    int descent() const { return descent_; }
    // The width of a typical character, for the box that stands in for a
    // missing one.
    int cell_width() const { return cell_width_; }

  private:
    Font() = default;
    int set_up();
    static std::unique_ptr<Font> finish(std::unique_ptr<Font> font, int error, std::string& reason);

    std::string bytes_;  // a memory face reads these until it is done
    FT_FaceRec_* face_ = nullptr;
    int ascent_ = 0;
    int descent_ = 0;
    int cell_width_ = 0;
};

}  // namespace glyph
