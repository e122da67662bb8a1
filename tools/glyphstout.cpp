// The bold tool: every bitmap row is emboldened as it is read.
#include <cstdlib>

#include "bit_row.hpp"
#include "filter_driver.hpp"
#include "tools.hpp"

namespace glyph {
namespace {

// Bytes per row of a box `width` pixels wide; a width of 0 still takes a byte.
std::uint32_t bytes_per_row(std::int32_t width) {
    return static_cast<std::uint32_t>((width - 1) / 8 + 1);
}

class BoldSection final : public GlyphSection {
  public:
    BoldSection(const BoxSize& font, const ToolOptions& options, ByteSink& out)
        : font_bytes_(bytes_per_row(font.width)),
          glyph_bytes_(font_bytes_),
          left_shift_(options.left_shift),
          reflect_left_(options.reflect_left),
          out_(out) {}

    // The check is on bytes, so that no row is wider than the font's rows.
    bool accepts(const BoxSize& box) const override {
        return !box.width_oversized && bytes_per_row(box.width) <= font_bytes_;
    }
    void take_box(const BoxSize& box) override { glyph_bytes_ = bytes_per_row(box.width); }

    void bitmap_row(const Line& line) override {
        row_.reserve(glyph_bytes_);
        embolden_row(row_, line.data, glyph_bytes_, left_shift_, reflect_left_);
        print_bit_row(out_, row_, glyph_bytes_);
    }

  private:
    std::uint32_t font_bytes_;
    std::uint32_t glyph_bytes_;
    bool left_shift_;
    bool reflect_left_;
    ByteSink& out_;
    BitRow row_;  // grows with the widest row met, not the declared font width
};

std::unique_ptr<GlyphSection> make_bold_section(const BoxSize& font, const ToolOptions& options,
                                                ByteSink& out) {
    return std::make_unique<BoldSection>(font, options, out);
}

constexpr ToolDescription GLYPHSTOUT = {.name = "glyphstout",
                                        .option_letters = "lrLRVh",
                                        .old_weight = "Medium",
                                        .new_weight = "Bold",
                                        .old_slant = nullptr,
                                        .new_slant = nullptr,
                                        .slant_ratio = 0,
                                        .bbx_hook = read_bbx_size,
                                        .make_section = make_bold_section};

}  // namespace

int run_glyphstout(std::span<const std::string> args, ByteSource& in, ByteSink& out,
                   ByteSink& err) {
    return run_tool(GLYPHSTOUT, args, in, out, err, std::getenv("COLUMNS"));
}

}  // namespace glyph
