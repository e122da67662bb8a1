// The oblique tool: each glyph is slanted and written in uppercase hex.
#include <cstdlib>

#include "hex_digits.hpp"
#include "hex_rows.hpp"
#include "row_runs.hpp"
#include "slant_geometry.hpp"
#include "slant_section.hpp"
#include "tools.hpp"

namespace glyph {
namespace {

class ObliqueSection final : public SlantSection {
  public:
    ObliqueSection(const BoxSize& font, const ToolOptions& options, ByteSink& out)
        : SlantSection(font, options, out) {}

  protected:
    void write_rows(CellGrid& grid, std::int64_t width, std::int32_t count) override {
        print_hex_rows(out_, grid, width, count);
    }
    // 2 * ceil(width / 8) uppercase digits, as the cell grid writes a row.
    void write_bit_rows(const std::uint64_t* rows, std::size_t count, std::size_t words,
                        std::size_t width) override {
        if (words == 1) return write_words(count, width, [rows](std::size_t i) { return rows[i]; });
        const std::size_t bytes = (width + 7) / 8;
        for (std::size_t i = 0; i < count; ++i)
            put_hex_row(out_, rows + i * words, bytes, HexCase::upper);
    }
    void write_slanted_words(const SlantedWords& rows, std::size_t count,
                             std::size_t width) override {
        write_words(count, width, rows);
    }

  private:
    // Rows of at most 64 pixels, row i the word row_at(i).
    template <class RowAt>
    void write_words(std::size_t count, std::size_t width, RowAt row_at) {
        const std::size_t bytes = (width + 7) / 8;
        if (bytes == 0) {
            const std::uint64_t none = 0;
            for (std::size_t i = 0; i < count; ++i)
                put_hex_row(out_, &none, 0, HexCase::upper);
            return;
        }
        with_row_bytes(bytes, [&](auto fixed) {
            write_word_rows<fixed>(out_, count, HexCase::upper, row_at);
            return 0;
        });
    }
};

constexpr ToolDescription GLYPHSLOPE = {.name = "glyphslope",
                                        .option_letters = "bspVh",
                                        .old_weight = nullptr,
                                        .new_weight = nullptr,
                                        .old_slant = "R",
                                        .new_slant = "I",
                                        .slant_ratio = SLANT_RATIO,
                                        .boxes = {slant_bbx},
                                        .baseline_boxes = {slant_bbx_baseline},
                                        .run_glyphs = run_glyph_section<ObliqueSection>};

}  // namespace

int run_glyphslope(std::span<const std::string> args, ByteSource& in, ByteSink& out,
                   ByteSink& err) {
    return run_tool(GLYPHSLOPE, args, in, out, err, std::getenv("COLUMNS"));
}

int run_glyphslope_renamed(const Renaming& renaming, std::span<const std::string> args,
                           ByteSource& in, ByteSink& out, ByteSink& err) {
    return run_tool(GLYPHSLOPE, args, in, out, err, std::getenv("COLUMNS"), &renaming);
}

}  // namespace glyph
