// The pass over a font's global section: everything up to and including the
// CHARS line is copied to the output, with the lines that name the face
// (FONT, WEIGHT_NAME, SLANT) renamed and the FONTBOUNDINGBOX line handed to a
// bounding-box hook.
#pragma once

#include <cstdint>
#include <string_view>

#include "byte_io.hpp"
#include "line_reader.hpp"

namespace glyph {

// What a bounding-box hook reads from a FONTBOUNDINGBOX or BBX line. Width and
// height are the 32-bit values as converted; the flags tell whether the number
// as written was above 2147483647 (a minus sign included), which no box may be.
struct BoxSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t extra = 0;  // slant extra, stored only by slanting hooks
    bool width_oversized = false;
    bool height_oversized = false;
    // Written one pixel wider than it was read (-w of the bold tools).
    bool widened = false;
    // The band phase of a slanting hook: row i (0 = top) is in band (i +
    // phase) / ratio counted from the top band, which holds ratio - phase
    // rows. 0 where bands are counted from the top row.
    std::int32_t phase = 0;

    bool oversized() const { return width_oversized || height_oversized; }
};

// The line a hook writes in place of the one it read, line end included: a
// line of its own in `data`, or the line read itself, which stays valid
// until the caller has written it.
struct HookOutput {
    char data[LINE_BUFFER_SIZE];
    std::string_view text;

    std::string_view view() const { return text; }
};

// A bounding-box hook: reads `line`; on success stores into `box`, writes the
// replacement line into `out` and returns true. On failure it touches neither.
using BbxHook = bool (*)(HookOutput& out, BoxSize& box, std::int32_t ratio, const Line& line);

struct HeaderRules {
    const char* old_weight = nullptr;  // absent: no weight rule
    const char* new_weight = nullptr;
    const char* old_slant = nullptr;  // absent: no slant rule
    const char* new_slant = nullptr;
    BoxSize* font_box = nullptr;  // where the hook leaves the font's box
    std::int32_t slant_ratio = 0;
    BbxHook bbx_hook = nullptr;
    // Given, the FONT lines' pattern and replacement instead of those built
    // from the weight and slant: a caller that knows the whole name.
    const char* font_pattern = nullptr;
    const char* font_replacement = nullptr;
};

// How the pass ended.
struct HeaderResult {
    enum class End { chars, no_chars };
    End end;
    std::int32_t glyph_count;  // from the CHARS line; 0 when there is none
};

// Runs the pass. Ends after the CHARS line (End::chars) or at the end of the
// input (End::no_chars). A FONTBOUNDINGBOX line the hook cannot read, or whose
// box is oversized, throws BadLine(bounding_box) before that line is written; a
// negative count throws BadLine(glyph_count) after the CHARS line is written.
HeaderResult run_header_pass(LineReader& input, ByteSink& out, const HeaderRules& rules);

// Writes `source` into `dest` with every occurrence of `pattern` replaced, left
// to right without overlap, letters A-Z matching a-z. `pattern` is not empty.
// `dest` must have room for the rewritten text; returns its length.
std::size_t replace_all_nocase(char* dest, std::string_view source, std::string_view pattern,
                               std::string_view replacement);

// The hook of the bold tool: a keyword and two unsigned numbers (the offsets
// may follow); the line is copied unchanged.
bool read_bbx_size(HookOutput& out, BoxSize& box, std::int32_t ratio, const Line& line);

}  // namespace glyph
