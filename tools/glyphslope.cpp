// The oblique tool: each glyph is slanted and written in uppercase hex.
#include <cstdlib>

#include "slant_geometry.hpp"
#include "slant_section.hpp"
#include "tools.hpp"

namespace glyph {
namespace {

class ObliqueSection final : public SlantSection {
  public:
    using SlantSection::SlantSection;

  protected:
    void write_rows(CellGrid& grid, std::int64_t width, std::int32_t count) override {
        print_hex_rows(out_, grid, width, count);
    }
};

std::unique_ptr<GlyphSection> make_oblique_section(const BoxSize& font, const ToolOptions&,
                                                   ByteSink& out) {
    return std::make_unique<ObliqueSection>(font, out);
}

constexpr ToolDescription GLYPHSLOPE = {.name = "glyphslope",
                                        .option_letters = "pVh",
                                        .old_weight = nullptr,
                                        .new_weight = nullptr,
                                        .old_slant = "R",
                                        .new_slant = "I",
                                        .slant_ratio = SLANT_RATIO,
                                        .bbx_hook = slant_bbx,
                                        .make_section = make_oblique_section};

}  // namespace

int run_glyphslope(std::span<const std::string> args, ByteSource& in, ByteSink& out,
                   ByteSink& err) {
    return run_tool(GLYPHSLOPE, args, in, out, err, std::getenv("COLUMNS"));
}

}  // namespace glyph
