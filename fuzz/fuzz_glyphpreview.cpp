// Fuzzes glyphpreview: any bytes as the font on its standard input, the text,
// the output kind and the scale chosen by the first two bytes.
#include "preview_properties.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace glyph::fuzz;
    const std::string_view input = capped_input(data, size);
    require(check_preview_run(preview_option_sets()[preview_option_index_for(input)], input));
    return 0;
}
