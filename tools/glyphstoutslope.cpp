// The bold-oblique tool: each glyph is slanted, then every slanted row is
// emboldened and written in lowercase hex.
#include <cstdlib>

#include "bit_row.hpp"
#include "slant_geometry.hpp"
#include "slant_section.hpp"
#include "tools.hpp"

namespace glyph {

void embolden_grid(ByteSink& out, CellGrid& grid, std::int64_t width, std::int32_t count,
                   bool left_shift, bool reflect_left, BitRow& row) {
    const std::size_t bytes = static_cast<std::size_t>((width - 1) / 8 + 1);
    row.reserve(bytes);
    cells_to_hex(grid, width, count);
    for (std::int32_t i = 0; i < count; ++i) {
        embolden_row(row, grid.work_row(static_cast<std::size_t>(i)), bytes, left_shift,
                     reflect_left);
        print_bit_row(out, row, bytes);
    }
}

namespace {

class BoldObliqueSection final : public SlantSection {
  public:
    BoldObliqueSection(const BoxSize& font, const ToolOptions& options, ByteSink& out)
        : SlantSection(font, out),
          left_shift_(options.left_shift),
          reflect_left_(options.reflect_left) {}

  protected:
    void write_rows(CellGrid& grid, std::int64_t width, std::int32_t count) override {
        embolden_grid(out_, grid, width, count, left_shift_, reflect_left_, row_);
    }

  private:
    bool left_shift_;
    bool reflect_left_;
    BitRow row_;  // one for the run, grown to the widest glyph
};

std::unique_ptr<GlyphSection> make_bold_oblique_section(const BoxSize& font,
                                                        const ToolOptions& options, ByteSink& out) {
    return std::make_unique<BoldObliqueSection>(font, options, out);
}

constexpr ToolDescription GLYPHSTOUTSLOPE = {.name = "glyphstoutslope",
                                             .option_letters = "lrLRpVh",
                                             .old_weight = "Medium",
                                             .new_weight = "Bold",
                                             .old_slant = "R",
                                             .new_slant = "I",
                                             .slant_ratio = SLANT_RATIO,
                                             .bbx_hook = slant_bbx,
                                             .make_section = make_bold_oblique_section};

}  // namespace

int run_glyphstoutslope(std::span<const std::string> args, ByteSource& in, ByteSink& out,
                        ByteSink& err) {
    return run_tool(GLYPHSTOUTSLOPE, args, in, out, err, std::getenv("COLUMNS"));
}

}  // namespace glyph
