// A bitmap font file opened through FreeType: its strikes, and one of them
// selected for reading. The FreeType handles stay inside, owned here.
#pragma once

#include <cstddef>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct FT_FaceRec_;

namespace glyph::reading {

// What stops a font from being read or converted: the one line reported,
// without its line end.
struct FontError : std::exception {
    explicit FontError(std::string m) : message(std::move(m)) {}
    std::string message;
    const char* what() const noexcept override { return message.c_str(); }
};

struct StrikeInfo {
    int pixel_size = 0;
    std::size_t glyphs = 0;  // the glyphs that have a picture in this strike
    std::string family;
    std::string style;
};

// How FreeType's driver numbers and describes the glyphs of the file.
enum class FontKind {
    // BDF and PCF: one strike, and FreeType's glyph index 0 a second copy of
    // the default glyph in front of the font's own.
    x11,
    sfnt,  // OpenType and TrueType: glyph index 0 is the font's own .notdef
    other,
};

// The glyph index of a font's first own glyph.
inline unsigned first_glyph_index(FontKind kind) {
    return kind == FontKind::x11 ? 1 : 0;
}

class BitmapFont {
  public:
    // The font in the named file (a .gz too, which FreeType unpacks), or
    // FontError. `label` names it in messages.
    static BitmapFont open_file(const std::string& path);
    // The font held in `bytes`, named `label` in messages.
    static BitmapFont open_bytes(std::string bytes, std::string label);
    ~BitmapFont();
    BitmapFont(BitmapFont&&) noexcept;
    BitmapFont& operator=(BitmapFont&&) noexcept;

    const std::string& label() const;
    FontKind kind() const;
    // FreeType's name of the file's format: "PCF", "BDF", "TrueType", ...
    std::string_view format() const;
    // Every strike, in the file's order; never empty (a font without one
    // does not open). The glyph counts cost a look at every glyph of an
    // OpenType file in every strike, so they are made on the first call.
    const std::vector<StrikeInfo>& strikes() const;
    // Selects the strike of `pixel_size` pixels, or the only one when none is
    // asked for; FontError naming the sizes when that strike does not exist
    // or the choice is not clear.
    void select_strike(std::optional<int> pixel_size);
    int selected_pixel_size() const;
    FT_FaceRec_* face() const;

  private:
    struct Impl;
    explicit BitmapFont(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace glyph::reading
