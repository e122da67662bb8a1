// Fuzzes glyphpreview: any bytes as the font on its standard input, the text,
// the output kind and the scale chosen by the first two bytes.
#include <cstdio>
#include <cstdlib>

#include "preview_properties.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace glyph::fuzz;
    static const bool limited = (glyph::set_allocation_limit(ALLOCATION_LIMIT), true);
    (void)limited;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string why =
        check_preview_run(preview_option_sets()[preview_option_index_for(input)], input);
    if (!why.empty()) {
        std::fprintf(stderr, "PROPERTY VIOLATED: %s\n", why.c_str());
        std::abort();
    }
    return 0;
}
