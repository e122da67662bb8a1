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

#include "box_lines.hpp"
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
    BbxHook bbx_hook;  // the tool's, or with -w or -b the one for them
    const BoxSize& font;
    const ToolOptions& options;  // slant_ratio in force: -s, the tool's own, or 0
    LineReader& input;
    ByteSink& out;
    ProgressMeter* meter;
};

// The hooks a tool writes boxes with: as its rule makes them, and widened on
// the left or on the right (-w); the widening ones absent without -w.
struct BoxHooks {
    BbxHook plain = nullptr;
    BbxHook widened_left = nullptr;
    BbxHook widened_right = nullptr;
};

struct ToolDescription {
    std::string_view name;
    std::string_view option_letters;  // in the order the help text lists them
    const char* old_weight;
    const char* new_weight;
    const char* old_slant;
    const char* new_slant;
    std::int32_t slant_ratio;  // rows per step without -s; 0 in a tool that does not slant
    BoxHooks boxes;
    BoxHooks baseline_boxes;  // with -b; all absent in a tool without it
    // Runs the glyph section once the font's box is known: run_glyph_section
    // (glyph_loop.hpp) with the tool's GlyphSection.
    void (*run_glyphs)(const GlyphRun& run);
};

// Checks the BBX lines of a glyph section with the tool's hook and section.
// A font repeats a few glyph boxes over and over, so the last line that
// passed is kept with what the hook made of it; the same bytes again give the
// same box and the same line to write.
class BoxChecker {
  public:
    explicit BoxChecker(const GlyphRun& run)
        : hook_(run.bbx_hook), ratio_(run.options.slant_ratio) {}

    // What to write in place of `line`; a line that fails throws BadLine.
    template <class Section>
    std::string_view check(Section& section, const Line& line) {
        if (line.size == last_size_ && std::memcmp(line.data, last_line_, line.size) == 0) {
            section.take_box(last_box_);
            return last_unchanged_ ? line.view() : std::string_view(last_text_, last_text_size_);
        }
        BoxSize box;
        if (!hook_(hook_out_, box, ratio_, line) || !section.accepts(box))
            throw BadLine(BadLine::Kind::bounding_box, std::string(line.view()));
        section.take_box(box);
        remember(line, box);
        return hook_out_.view();
    }

  private:
    void remember(const Line& line, const BoxSize& box) {
        const std::string_view text = hook_out_.view();
        last_unchanged_ = text.data() == line.data && text.size() == line.size;
        last_size_ = 0;  // a line is never empty: matches none
        if (line.size > sizeof last_line_ || text.size() > sizeof last_text_) return;
        std::memcpy(last_line_, line.data, line.size);
        last_size_ = line.size;
        std::memcpy(last_text_, text.data(), text.size());
        last_text_size_ = text.size();
        last_box_ = box;
    }

    BbxHook hook_;
    std::int32_t ratio_;
    HookOutput hook_out_;
    char last_line_[64];
    std::size_t last_size_ = 0;
    BoxSize last_box_;
    char last_text_[64];
    std::size_t last_text_size_ = 0;
    bool last_unchanged_ = false;
};

// The side boxes are widened on with these options, if they are.
inline Widening widening(const ToolOptions& options) {
    if (!options.widen) return Widening::none;
    return options.left_shift ? Widening::left : Widening::right;
}

// Names a caller gives a face in place of a tool's own rules ("Medium" to
// "Bold", "R" to "I"): the WEIGHT_NAME and SLANT texts and the FONT name as
// the input writes them, and what replaces each. Only the rules the tool has
// are applied: a tool that keeps the weight keeps it here too.
struct Renaming {
    const char* old_weight;
    const char* new_weight;
    const char* old_slant;
    const char* new_slant;
    const char* old_name;
    const char* new_name;
};

// A whole run of a tool: `args` without the program name; `columns` is the
// COLUMNS variable or absent. Returns the exit status; writes the messages.
int run_tool(const ToolDescription& tool, std::span<const std::string> args, ByteSource& in,
             ByteSink& out, ByteSink& err, const char* columns, const Renaming* renaming = nullptr);

}  // namespace glyph
