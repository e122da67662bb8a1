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

// The tool's hook, or with -b the one that leans about the baseline, and
// with -w the one of those that widens boxes on the growth side.
BbxHook box_hook(const ToolDescription& tool, const ToolOptions& options) {
    const BoxHooks& hooks =
        options.baseline && tool.baseline_boxes.plain ? tool.baseline_boxes : tool.boxes;
    if (!hooks.widened_left) return hooks.plain;
    switch (widening(options)) {
        case Widening::left:
            return hooks.widened_left;
        case Widening::right:
            return hooks.widened_right;
        case Widening::none:
            break;
    }
    return hooks.plain;
}

// Rows per step of slant: the tool's, or the one -s gave.
std::int32_t slant_ratio(const ToolDescription& tool, const ToolOptions& options) {
    if (tool.slant_ratio == 0) return 0;
    return options.slant_ratio != 0 ? options.slant_ratio : tool.slant_ratio;
}

// The header rules of a run: the tool's own, or those a caller renames with.
HeaderRules header_rules(const ToolDescription& tool, const Renaming* renaming) {
    HeaderRules rules;
    rules.old_weight = tool.old_weight;
    rules.new_weight = tool.new_weight;
    rules.old_slant = tool.old_slant;
    rules.new_slant = tool.new_slant;
    if (!renaming) return rules;
    if (tool.old_weight) {
        rules.old_weight = renaming->old_weight;
        rules.new_weight = renaming->new_weight;
    }
    if (tool.old_slant) {
        rules.old_slant = renaming->old_slant;
        rules.new_slant = renaming->new_slant;
    }
    rules.font_pattern = renaming->old_name;
    rules.font_replacement = renaming->new_name;
    return rules;
}

int filter(const ToolDescription& tool, const ToolOptions& options, ByteSource& in, ByteSink& out,
           ByteSink& err, const char* columns, const Renaming* renaming) {
    std::unique_ptr<ByteSource> source = open_input(options.input_path, in);
    if (!source) return 1;
    LineReader input(*source);

    const BbxHook hook = box_hook(tool, options);
    // The glyph section sees the rows per step in force, -s or the tool's own.
    ToolOptions run_options = options;
    run_options.slant_ratio = slant_ratio(tool, options);
    const std::int32_t ratio = run_options.slant_ratio;
    BoxSize font;
    HeaderRules rules = header_rules(tool, renaming);
    rules.font_box = &font;
    rules.slant_ratio = ratio;
    rules.bbx_hook = hook;
    HeaderResult header = run_header_pass(input, out, rules);
    if (header.end == HeaderResult::End::no_chars) {
        out.flush();
        return 0;
    }
    std::optional<ProgressMeter> meter;
    if (options.verbose) meter = progress_new(header.glyph_count, columns, err);
    tool.run_glyphs({tool, hook, font, run_options, input, out, meter ? &*meter : nullptr});
    source.reset();
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
             ByteSink& out, ByteSink& err, const char* columns, const Renaming* renaming) {
    try {
        ToolOptions options = scan_options(args, tool.option_letters);
        switch (options.action) {
            case ToolOptions::Action::help:
                out.put(help_text(tool.name, tool.option_letters));
                break;
            case ToolOptions::Action::report:
                print_slant_patterns(out, slant_ratio(tool, options));
                break;
            case ToolOptions::Action::bad_option:
                return fail(out, err, options.message, {}, "\n");
            case ToolOptions::Action::filter:
                return filter(tool, options, in, out, err, columns, renaming);
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

}  // namespace glyph
