// The one-line progress bar drawn on standard error in verbose mode. It is
// redrawn in place with carriage returns, never ends its line, and is blanked
// at the normal end of the run.
#pragma once

#include <cstdint>

#include "byte_io.hpp"

namespace glyph {

struct ProgressMeter {
    std::int64_t done = 0;     // glyphs counted so far
    std::int32_t total = 0;    // the 100 per cent mark (the CHARS count)
    std::int64_t spinner = 0;  // lines drawn so far
    std::int32_t term_width = 80;
    ByteSink* err = nullptr;
};

// The smallest width the bar is laid out for: a narrower terminal still gets
// a bar of one character.
inline constexpr std::int32_t MIN_TERM_WIDTH = 21;

// `columns` is the value of the COLUMNS variable, or absent.
ProgressMeter progress_new(std::int32_t total, const char* columns, ByteSink& err);
void progress_step(ProgressMeter& meter);
void progress_finish(ProgressMeter& meter);
void progress_free(ProgressMeter& meter);

}  // namespace glyph
