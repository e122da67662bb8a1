// The bold tool: every bitmap row is emboldened as it is read.
#include <cstdlib>

#include "bit_row.hpp"
#include "bold_words.hpp"
#include "glyph_loop.hpp"
#include "reference_paths.hpp"
#include "row_runs.hpp"
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
          rule_{options.left_shift, options.reflect_left},
          reference_(reference_paths()),
          narrow_(words_path(glyph_bytes_)),
          out_(out) {}

    // The check is on bytes, so that no row is wider than the font's rows.
    bool accepts(const BoxSize& box) const override {
        return !box.width_oversized && bytes_per_row(box.width) <= font_bytes_;
    }
    void take_box(const BoxSize& box) override {
        glyph_bytes_ = bytes_per_row(box.width);
        narrow_ = words_path(glyph_bytes_);
    }

    // Rows of one word, nearly all of them, are read, emboldened and written
    // here in line; wider rows and the reference path go out of line.
    void bitmap_row(const Line& line) override {
        if (!narrow_) return other_row(line);
        const std::uint64_t row = read_hex_word(line.data, line.size, 2 * glyph_bytes_);
        const std::uint64_t bold = embolden_word(row, 0, 0, rule_);
        put_hex_row(out_, &bold, glyph_bytes_, HexCase::lower);
    }

    // The same for a run of rows straight from the block.
    std::size_t take_rows(const char* first, const char* last) override {
        if (!narrow_) return 0;
        std::size_t taken = 0;
        with_bold_rule(rule_, [&](auto left_shift, auto reflect_left) {
            taken = with_row_bytes(glyph_bytes_, [&](auto bytes) {
                return write_row_run<bytes>(
                    first, last, out_, HexCase::lower, [](std::uint64_t row) {
                        return embolden_word<decltype(left_shift)::value,
                                             decltype(reflect_left)::value>(row, 0, 0);
                    });
            });
        });
        return taken;
    }

  private:
    bool words_path(std::uint32_t bytes) const { return !reference_ && bytes <= 8; }

    [[gnu::noinline]] void other_row(const Line& line) {
        if (!reference_) {
            write_bold_row(out_, line.data, line.size, glyph_bytes_, rule_, words_);
            return;
        }
        row_.reserve(glyph_bytes_);
        char text[LINE_BUFFER_SIZE];
        embolden_row(row_, line.c_str(text), glyph_bytes_, rule_.left_shift, rule_.reflect_left);
        print_bit_row(out_, row_, glyph_bytes_);
    }

    std::uint32_t font_bytes_;
    std::uint32_t glyph_bytes_;
    BoldRule rule_;
    bool reference_;
    bool narrow_;  // the rows of the glyph in hand take the one-word path
    ByteSink& out_;
    // Both grow with the widest row met, not the declared font width.
    PodArray<std::uint64_t> words_;
    BitRow row_;
};

constexpr ToolDescription GLYPHSTOUT = {.name = "glyphstout",
                                        .option_letters = "lrLRVh",
                                        .old_weight = "Medium",
                                        .new_weight = "Bold",
                                        .old_slant = nullptr,
                                        .new_slant = nullptr,
                                        .slant_ratio = 0,
                                        .bbx_hook = read_bbx_size,
                                        .run_glyphs = run_glyph_section<BoldSection>};

}  // namespace

int run_glyphstout(std::span<const std::string> args, ByteSource& in, ByteSink& out,
                   ByteSink& err) {
    return run_tool(GLYPHSTOUT, args, in, out, err, std::getenv("COLUMNS"));
}

}  // namespace glyph
