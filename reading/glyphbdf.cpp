#include "glyphbdf.hpp"

#include <cstring>
#include <new>
#include <string_view>

#include "bdf_options.hpp"
#include "failure.hpp"
#include "font_to_bdf.hpp"
#include "memory.hpp"

namespace glyph {
namespace {

using reading::BdfOptions;
using reading::BitmapFont;
using reading::FontError;

constexpr std::string_view STANDARD_INPUT_LABEL = "(standard input)";

void list(const BitmapFont& font, ByteSink& out) {
    for (const reading::StrikeInfo& strike : font.strikes()) {
        out.put(std::to_string(strike.pixel_size) + '\t' + std::to_string(strike.glyphs) + '\t' +
                strike.family + '\t' + strike.style + '\n');
    }
    out.flush();
}

int convert(const BdfOptions& options, ByteSource& in, ByteSink& out) {
    BitmapFont font = options.font
                          ? BitmapFont::open_file(*options.font)
                          : BitmapFont::open_bytes(read_all(in), std::string(STANDARD_INPUT_LABEL));
    if (options.action == BdfOptions::Action::list)
        list(font, out);
    else
        reading::write_strike_bdf(font, options.pixel_size, out);
    return 0;
}

}  // namespace

int run_glyphbdf(std::span<const std::string> args, ByteSource& in, ByteSink& out, ByteSink& err) {
    try {
        const BdfOptions options = reading::scan_bdf_options(args);
        switch (options.action) {
            case BdfOptions::Action::help:
                out.put(reading::bdf_help_text());
                out.flush();
                return 0;
            case BdfOptions::Action::fail:
                return fail_with(out, err, options.message);
            case BdfOptions::Action::convert:
            case BdfOptions::Action::list:
                break;
        }
        const AllocationCap cap(options.memory_mib << 20);
        return convert(options, in, out);
    } catch (const FontError& failure) {
        return fail_with(out, err, failure.message + "\n");
    } catch (const IoFailure& io) {
        const char* what = io.kind == IoFailure::Kind::read ? "Read error: " : "Write error: ";
        return fail_with(out, err, std::string(what) + std::strerror(io.error) + "\n");
    } catch (const MemoryExhausted&) {
        return fail_with(out, err, "FATAL: Memory exhausted\n");
    } catch (const std::bad_alloc&) {
        return fail_with(out, err, "FATAL: Memory exhausted\n");
    }
}

}  // namespace glyph
