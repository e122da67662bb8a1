// The bold-oblique tool: each glyph is slanted, then every slanted row is
// emboldened and written in lowercase hex.
#include <cstdlib>
#include <string>

#include "bit_row.hpp"
#include "bold_words.hpp"
#include "row_runs.hpp"
#include "slant_geometry.hpp"
#include "slant_section.hpp"
#include "tools.hpp"
#include "widen_row.hpp"

namespace glyph {

void embolden_grid(ByteSink& out, CellGrid& grid, std::int64_t width, std::int32_t count,
                   bool left_shift, bool reflect_left, BitRow& row, Widening widen) {
    const std::int64_t written = widen == Widening::none ? width : width + 1;
    const std::size_t bytes = static_cast<std::size_t>((written - 1) / 8 + 1);
    row.reserve(bytes);
    cells_to_hex(grid, width, count);
    std::string widened;
    for (std::int32_t i = 0; i < count; ++i) {
        const char* text = grid.work_row(static_cast<std::size_t>(i));
        if (widen != Widening::none) {
            const auto cells = static_cast<std::size_t>(width);
            widened = widened_hex_row(text, 2 * ((cells + 7) / 8), cells, widen);
            text = widened.c_str();
        }
        embolden_row(row, text, bytes, left_shift, reflect_left);
        print_bit_row(out, row, bytes);
    }
}

namespace {

class BoldObliqueSection final : public SlantSection {
  public:
    BoldObliqueSection(const BoxSize& font, const ToolOptions& options, ByteSink& out)
        : SlantSection(font, options, out),
          rule_{options.left_shift, options.reflect_left},
          side_(widening(options)) {}

  protected:
    void write_rows(CellGrid& grid, std::int64_t width, std::int32_t count) override {
        embolden_grid(out_, grid, width, count, rule_.left_shift, rule_.reflect_left, row_,
                      glyph_widened() ? side_ : Widening::none);
    }
    // As embolden_grid writes a row: a width of 0 still takes a byte.
    void write_bit_rows(const std::uint64_t* rows, std::size_t count, std::size_t words,
                        std::size_t width) override {
        if (words == 1 && (!glyph_widened() || width < 64))
            return write_words(count, width, [rows](std::size_t i) { return rows[i]; });
        if (glyph_widened()) return write_widened_rows(rows, count, words, width);
        const std::size_t bytes = width == 0 ? 1 : (width + 7) / 8;
        for (std::size_t i = 0; i < count; ++i)
            write_bold_words(out_, rows + i * words, bytes, rule_, scratch_);
    }
    void write_slanted_words(const SlantedWords& rows, std::size_t count,
                             std::size_t width) override {
        write_words(count, width, rows);
    }

  private:
    // Rows of fewer than 64 pixels (at most 64 unwidened), row i the word
    // row_at(i); widened (-w), a clear pixel is added on the growth side.
    template <class RowAt>
    void write_words(std::size_t count, std::size_t width, RowAt row_at) {
        if (!glyph_widened())
            return write_bold_word_rows(out_, count, width == 0 ? 1 : (width + 7) / 8, rule_,
                                        row_at);
        write_bold_word_rows(out_, count, width / 8 + 1, rule_,
                             [row_at, width, side = side_](std::size_t i) {
                                 return widen_word(row_at(i), width, side);
                             });
    }
    // The slanted rows of 64 pixels or more with a clear pixel added on the
    // growth side (-w).
    void write_widened_rows(const std::uint64_t* rows, std::size_t count, std::size_t words,
                            std::size_t width) {
        const std::size_t bytes = width / 8 + 1;  // of width + 1 pixels
        widened_.reserve(words_for_bytes(bytes));
        for (std::size_t i = 0; i < count; ++i) {
            widen_words(rows + i * words, widened_.data(), width, side_);
            write_bold_words(out_, widened_.data(), bytes, rule_, scratch_);
        }
    }

    BoldRule rule_;
    Widening side_;
    BitRow row_;  // one for the run, grown to the widest glyph
    PodArray<std::uint64_t> scratch_, widened_;
};

constexpr ToolDescription GLYPHSTOUTSLOPE = {
    .name = "glyphstoutslope",
    .option_letters = "lrLRwabspVh",
    .old_weight = "Medium",
    .new_weight = "Bold",
    .old_slant = "R",
    .new_slant = "I",
    .slant_ratio = SLANT_RATIO,
    .boxes = {slant_bbx, slant_bbx_widened_left, slant_bbx_widened_right},
    .baseline_boxes = {slant_bbx_baseline, slant_bbx_baseline_widened_left,
                       slant_bbx_baseline_widened_right},
    .run_glyphs = run_glyph_section<BoldObliqueSection>};

}  // namespace

int run_glyphstoutslope(std::span<const std::string> args, ByteSource& in, ByteSink& out,
                        ByteSink& err) {
    return run_tool(GLYPHSTOUTSLOPE, args, in, out, err, std::getenv("COLUMNS"));
}

int run_glyphstoutslope_renamed(const Renaming& renaming, std::span<const std::string> args,
                                ByteSource& in, ByteSink& out, ByteSink& err) {
    return run_tool(GLYPHSTOUTSLOPE, args, in, out, err, std::getenv("COLUMNS"), &renaming);
}

}  // namespace glyph
