// The bold tool: every bitmap row is emboldened as it is read.
#include <cstdlib>
#include <string>

#include "bit_row.hpp"
#include "bold_words.hpp"
#include "glyph_loop.hpp"
#include "reference_paths.hpp"
#include "row_runs.hpp"
#include "tools.hpp"
#include "widen_row.hpp"

namespace glyph {
namespace {

// Bytes per row of a box `width` pixels wide; a width of 0 still takes a byte.
std::uint32_t bytes_per_row(std::int64_t width) {
    return static_cast<std::uint32_t>((width - 1) / 8 + 1);
}

// The width a box is written with: one pixel more when it is widened.
std::int64_t written_width(const BoxSize& box) {
    return std::int64_t{box.width} + (box.widened ? 1 : 0);
}

class BoldSection final : public GlyphSection {
  public:
    BoldSection(const BoxSize& font, const ToolOptions& options, ByteSink& out)
        : font_bytes_(bytes_per_row(written_width(font))),
          rule_{options.left_shift, options.reflect_left},
          side_(widening(options)),
          reference_(reference_paths()),
          out_(out) {
        take_box(font);  // rows before the first BBX line
    }

    // The check is on bytes, so that no row is wider than the font's rows.
    bool accepts(const BoxSize& box) const override {
        return !box.width_oversized && bytes_per_row(written_width(box)) <= font_bytes_;
    }
    void take_box(const BoxSize& box) override {
        width_ = static_cast<std::size_t>(box.width < 0 ? 0 : box.width);
        widened_ = box.widened;
        in_bytes_ = bytes_per_row(box.width);
        out_bytes_ = bytes_per_row(written_width(box));
        narrow_ = !reference_ && out_bytes_ <= 8;
    }

    // Rows of one word, nearly all of them, are read, emboldened and written
    // here in line; wider rows and the reference path go out of line.
    void bitmap_row(const Line& line) override {
        if (!narrow_) return other_row(line);
        std::uint64_t row = read_hex_word(line.data, line.size, 2 * in_bytes_);
        if (widened_) row = widen_word(row, width_, side_);
        const std::uint64_t bold = embolden_word(row, 0, 0, rule_);
        put_hex_row(out_, &bold, out_bytes_, HexCase::lower);
    }

    // The same for a run of rows straight from the block.
    std::size_t take_rows(const char* first, const char* last) override {
        if (!narrow_) return 0;
        std::size_t taken = 0;
        with_bold_rule(rule_, [&](auto left_shift, auto reflect_left) {
            constexpr bool left = decltype(left_shift)::value,
                           reflect = decltype(reflect_left)::value;
            taken = with_row_bytes(in_bytes_, [&](auto bytes) -> std::size_t {
                constexpr std::size_t in = decltype(bytes)::value;
                if (!widened_)
                    return write_row_run<in, in>(
                        first, last, out_, HexCase::lower,
                        [](std::uint64_t row) { return embolden_word<left, reflect>(row, 0, 0); });
                // The widened row may take one byte more.
                const auto widened = [width = width_, side = side_](std::uint64_t row) {
                    return embolden_word<left, reflect>(widen_word(row, width, side), 0, 0);
                };
                if (out_bytes_ == in)
                    return write_row_run<in, in>(first, last, out_, HexCase::lower, widened);
                if constexpr (in < 8)
                    return write_row_run<in, in + 1>(first, last, out_, HexCase::lower, widened);
                return 0;
            });
        });
        return taken;
    }

  private:
    [[gnu::noinline]] void other_row(const Line& line) {
        if (!reference_) {
            if (!widened_) {
                write_bold_row(out_, line.data, line.size, in_bytes_, rule_, words_);
                return;
            }
            // The row read and its widened form share one block.
            const std::size_t in = words_for_bytes(in_bytes_), out = words_for_bytes(out_bytes_);
            words_.reserve(in + out);
            read_hex_row(line.data, line.size, 2 * in_bytes_, words_.data());
            widen_words(words_.data(), words_.data() + in, width_, side_);
            write_bold_words(out_, words_.data() + in, out_bytes_, rule_, bold_words_);
            return;
        }
        bit_row_.reserve(out_bytes_);  // first: a row too wide for memory stops here
        char text[LINE_BUFFER_SIZE];
        const char* row = line.c_str(text);
        std::string widened;
        if (widened_) {
            widened = widened_hex_row(row, 2 * in_bytes_, width_, side_);
            row = widened.c_str();
        }
        embolden_row(bit_row_, row, out_bytes_, rule_.left_shift, rule_.reflect_left);
        print_bit_row(out_, bit_row_, out_bytes_);
    }

    std::uint32_t font_bytes_;
    BoldRule rule_;
    Widening side_;
    bool reference_;
    ByteSink& out_;
    // The glyph in hand: its width, whether its box is widened, the bytes of
    // its rows as read and as written, whether they fit the one-word path.
    std::size_t width_ = 0;
    bool widened_ = false;
    std::uint32_t in_bytes_ = 1;
    std::uint32_t out_bytes_ = 1;
    bool narrow_ = false;
    // Grown with the widest row met, not the declared font width.
    PodArray<std::uint64_t> words_, bold_words_;
    BitRow bit_row_;
};

constexpr ToolDescription GLYPHSTOUT = {
    .name = "glyphstout",
    .option_letters = "lrLRwaVh",
    .old_weight = "Medium",
    .new_weight = "Bold",
    .old_slant = nullptr,
    .new_slant = nullptr,
    .slant_ratio = 0,
    .boxes = {read_bbx_size, read_bbx_widened_left, read_bbx_widened_right},
    .baseline_boxes = {},
    .run_glyphs = run_glyph_section<BoldSection>};

}  // namespace

int run_glyphstout(std::span<const std::string> args, ByteSource& in, ByteSink& out,
                   ByteSink& err) {
    return run_tool(GLYPHSTOUT, args, in, out, err, std::getenv("COLUMNS"));
}

int run_glyphstout_renamed(const Renaming& renaming, std::span<const std::string> args,
                           ByteSource& in, ByteSink& out, ByteSink& err) {
    return run_tool(GLYPHSTOUT, args, in, out, err, std::getenv("COLUMNS"), &renaming);
}

}  // namespace glyph
