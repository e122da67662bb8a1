// The bold-oblique tool: each glyph is slanted, then every slanted row is
// emboldened and written in lowercase hex.
#include <cstdlib>

#include "bit_row.hpp"
#include "bold_words.hpp"
#include "row_runs.hpp"
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
        : SlantSection(font, out), rule_{options.left_shift, options.reflect_left} {}

  protected:
    void write_rows(CellGrid& grid, std::int64_t width, std::int32_t count) override {
        embolden_grid(out_, grid, width, count, rule_.left_shift, rule_.reflect_left, row_);
    }
    // As embolden_grid writes a row: a width of 0 still takes a byte.
    void write_bit_rows(const std::uint64_t* rows, std::size_t count, std::size_t words,
                        std::size_t width) override {
        const std::size_t bytes = width == 0 ? 1 : (width + 7) / 8;
        if (words == 1) {
            with_bold_rule(rule_, [&](auto left_shift, auto reflect_left) {
                with_row_bytes(bytes, [&](auto fixed) {
                    write_word_rows<fixed>(
                        out_, rows, count, HexCase::lower, [](std::uint64_t row) {
                            return embolden_word<decltype(left_shift)::value,
                                                 decltype(reflect_left)::value>(row, 0, 0);
                        });
                    return 0;
                });
            });
            return;
        }
        for (std::size_t i = 0; i < count; ++i)
            write_bold_words(out_, rows + i * words, bytes, rule_, scratch_);
    }

  private:
    BoldRule rule_;
    BitRow row_;  // one for the run, grown to the widest glyph
    PodArray<std::uint64_t> scratch_;
};

constexpr ToolDescription GLYPHSTOUTSLOPE = {.name = "glyphstoutslope",
                                             .option_letters = "lrLRpVh",
                                             .old_weight = "Medium",
                                             .new_weight = "Bold",
                                             .old_slant = "R",
                                             .new_slant = "I",
                                             .slant_ratio = SLANT_RATIO,
                                             .bbx_hook = slant_bbx,
                                             .run_glyphs = run_glyph_section<BoldObliqueSection>};

}  // namespace

int run_glyphstoutslope(std::span<const std::string> args, ByteSource& in, ByteSink& out,
                        ByteSink& err) {
    return run_tool(GLYPHSTOUTSLOPE, args, in, out, err, std::getenv("COLUMNS"));
}

}  // namespace glyph
