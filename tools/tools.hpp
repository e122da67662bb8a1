// The tools, each callable in-process: arguments without the program
// name, the standard streams, and the exit status as the result.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "bit_row.hpp"
#include "box_lines.hpp"
#include "byte_io.hpp"
#include "cell_grid.hpp"

namespace glyph {

int run_glyphstout(std::span<const std::string> args, ByteSource& in, ByteSink& out, ByteSink& err);
int run_glyphslope(std::span<const std::string> args, ByteSource& in, ByteSink& out, ByteSink& err);
int run_glyphstoutslope(std::span<const std::string> args, ByteSource& in, ByteSink& out,
                        ByteSink& err);
struct Renaming;
// The filters naming the face as a caller says instead of by their own rules.
int run_glyphstout_renamed(const Renaming& renaming, std::span<const std::string> args,
                           ByteSource& in, ByteSink& out, ByteSink& err);
int run_glyphslope_renamed(const Renaming& renaming, std::span<const std::string> args,
                           ByteSource& in, ByteSink& out, ByteSink& err);
int run_glyphstoutslope_renamed(const Renaming& renaming, std::span<const std::string> args,
                                ByteSource& in, ByteSink& out, ByteSink& err);
// The four faces of a family and their conversions, into an output folder.
int run_glyphfamily(std::span<const std::string> args, ByteSource& in, ByteSink& out,
                    ByteSink& err);

// Emboldens and writes the first `count` rows of a slanted glyph, each `width`
// pixels wide, in lowercase hex. `row` is the scratch row, grown as needed.
// With `widen`, each row first gets a clear pixel on that side (-w).
void embolden_grid(ByteSink& out, CellGrid& grid, std::int64_t width, std::int32_t count,
                   bool left_shift, bool reflect_left, BitRow& row,
                   Widening widen = Widening::none);

}  // namespace glyph
