#include "filter_driver.hpp"

#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

#include "failure.hpp"
#include "input.hpp"
#include "progress_meter.hpp"
#include "slant_patterns.hpp"
#include "text_scan.hpp"

namespace glyph {
namespace {

// The glyph section of the font, line by line, in its two states.
class GlyphLoop {
  public:
    GlyphLoop(const ToolDescription& tool, GlyphSection& section, ByteSink& out,
              ProgressMeter* meter)
        : tool_(tool), section_(section), out_(out), meter_(meter) {}

    void run(LineReader& input) {
        Line line;
        while (input.next(line))
            handle(line);
    }

  private:
    void handle(const Line& line) {
        std::string_view keyword = line_keyword(line.text());
        if (keyword == "BBX") {
            check_bbx(line);
        } else if (keyword == "BITMAP") {
            out_.put(line.view());
            section_.begin_bitmap();
            in_bitmap_ = true;
        } else if (keyword == "ENDCHAR") {
            section_.end_glyph();
            out_.put(line.view());
            in_bitmap_ = false;
            if (meter_) progress_step(*meter_);
        } else if (in_bitmap_) {
            section_.bitmap_row(line);
        } else {
            out_.put(line.view());
        }
    }

    void check_bbx(const Line& line) {
        BoxSize box;
        if (!tool_.bbx_hook(hook_out_, box, tool_.slant_ratio, line) || !section_.accepts(box))
            throw BadLine(BadLine::Kind::bounding_box, std::string(line.view()));
        section_.take_box(box);
        out_.put(hook_out_.view());
    }

    const ToolDescription& tool_;
    GlyphSection& section_;
    ByteSink& out_;
    ProgressMeter* meter_;
    HookOutput hook_out_;
    bool in_bitmap_ = false;
};

int filter(const ToolDescription& tool, const ToolOptions& options, ByteSource& in, ByteSink& out,
           ByteSink& err, const char* columns) {
    std::unique_ptr<ByteSource> source = open_input(options.input_path, in);
    if (!source) return 1;
    LineReader input(*source);

    BoxSize font;
    HeaderRules rules{tool.old_weight, tool.new_weight,  tool.old_slant, tool.new_slant,
                      &font,           tool.slant_ratio, tool.bbx_hook};
    HeaderResult header = run_header_pass(input, out, rules);
    if (header.end == HeaderResult::End::no_chars) {
        out.flush();
        return 0;
    }
    std::optional<ProgressMeter> meter;
    if (options.verbose) meter = progress_new(header.glyph_count, columns, err);
    std::unique_ptr<GlyphSection> section = tool.make_section(font, options, out);
    GlyphLoop(tool, *section, out, meter ? &*meter : nullptr).run(input);
    source.reset();
    section.reset();
    out.flush();
    if (meter) {
        progress_finish(*meter);
        progress_free(*meter);
    }
    return 0;
}

// Writes the one message of a failed run. Output already collected is still
// delivered first; a failure to deliver it adds nothing to the message.
int fail(ByteSink& out, ByteSink& err, std::string_view message, std::string_view detail = {},
         std::string_view tail = {}) {
    try {
        out.flush();
    } catch (const IoFailure&) {
    }
    err.put(message);
    err.put(detail);
    err.put(tail);
    err.flush();
    return 1;
}

}  // namespace

int run_tool(const ToolDescription& tool, std::span<const std::string> args, ByteSource& in,
             ByteSink& out, ByteSink& err, const char* columns) {
    try {
        ToolOptions options = scan_options(args, tool.option_letters);
        switch (options.action) {
            case ToolOptions::Action::help:
                out.put(help_text(tool.name, tool.option_letters));
                break;
            case ToolOptions::Action::report:
                print_slant_patterns(out, tool.slant_ratio);
                break;
            case ToolOptions::Action::filter:
                return filter(tool, options, in, out, err, columns);
        }
        out.flush();
        return 0;
    } catch (const BadLine& bad) {
        const char* what = bad.kind == BadLine::Kind::bounding_box ? "Incorrect bounding box data: "
                                                                   : "Incorrect glyph count: ";
        return fail(out, err, what, bad.line, "\n");
    } catch (const IoFailure& io) {
        const char* what = io.kind == IoFailure::Kind::read ? "Read error: " : "Write error: ";
        return fail(out, err, what, std::strerror(io.error), "\n");
    } catch (const MemoryExhausted&) {
        return fail(out, err, "FATAL: Memory exhausted");
    } catch (const std::bad_alloc&) {
        return fail(out, err, "FATAL: Memory exhausted");
    }
}

int run_as_process(int (*run)(std::span<const std::string>, ByteSource&, ByteSink&, ByteSink&),
                   int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    FdSource in(0, false);
    FdSink out(1, 1 << 16);
    FdSink err(2, 4096, true);  // a failure to report is not reported
    return run(args, in, out, err);
}

}  // namespace glyph
