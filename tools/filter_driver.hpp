// The run every tool shares: the option scan, the header pass, the line loop
// over the glyph section with its two states, the bounding-box check and its
// message, and the way a run ends. A tool supplies only what differs: its
// header rules and options, and a GlyphSection that checks boxes and handles
// bitmap rows and the end of each glyph.
#pragma once

#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "byte_io.hpp"
#include "failure.hpp"
#include "glyph_keywords.hpp"
#include "header_pass.hpp"
#include "line_reader.hpp"
#include "progress_meter.hpp"
#include "text_scan.hpp"
#include "tool_options.hpp"

namespace glyph {

// What a tool does in the glyph section.
class GlyphSection {
  public:
    virtual ~GlyphSection() = default;
    // Whether a box read from a BBX line passes the tool's check; a passing
    // box becomes the current glyph's.
    virtual bool accepts(const BoxSize& box) const = 0;
    virtual void take_box(const BoxSize& box) = 0;
    virtual void begin_bitmap() {}
    virtual void bitmap_row(const Line& line) = 0;
    // May take a run of bitmap rows from the bytes [p, last) of the input's
    // block, as bitmap_row would take them one by one, and returns the bytes
    // taken: whole rows, up to the first line the loop must look at itself.
    virtual std::size_t take_rows(const char* p, const char* last) {
        (void)p;
        (void)last;
        return 0;
    }
    // At every ENDCHAR line, before the line itself is written.
    virtual void end_glyph() {}
};

struct ToolDescription;

// Everything the glyph section of a run works with.
struct GlyphRun {
    const ToolDescription& tool;
    const BoxSize& font;
    const ToolOptions& options;
    LineReader& input;
    ByteSink& out;
    ProgressMeter* meter;
};

struct ToolDescription {
    std::string_view name;
    std::string_view option_letters;  // in the order the help text lists them
    const char* old_weight;
    const char* new_weight;
    const char* old_slant;
    const char* new_slant;
    std::int32_t slant_ratio;
    BbxHook bbx_hook;
    // Runs the glyph section once the font's box is known: run_glyph_section
    // (glyph_loop.hpp) with the tool's GlyphSection.
    void (*run_glyphs)(const GlyphRun& run);
};

// Checks a BBX line with the tool's hook and section; returns what to write
// in its place. A line that fails throws BadLine.
template <class Section>
std::string_view checked_bbx_line(const GlyphRun& run, Section& section, HookOutput& hook_out,
                                  const Line& line) {
    BoxSize box;
    if (!run.tool.bbx_hook(hook_out, box, run.tool.slant_ratio, line) || !section.accepts(box))
        throw BadLine(BadLine::Kind::bounding_box, std::string(line.view()));
    section.take_box(box);
    return hook_out.view();
}

// A whole run of a tool: `args` without the program name; `columns` is the
// COLUMNS variable or absent. Returns the exit status; writes the messages.
int run_tool(const ToolDescription& tool, std::span<const std::string> args, ByteSource& in,
             ByteSink& out, ByteSink& err, const char* columns);

// The process around run_*: arguments, standard streams and COLUMNS.
int run_as_process(int (*run)(std::span<const std::string>, ByteSource&, ByteSink&, ByteSink&),
                   int argc, char** argv);

}  // namespace glyph
