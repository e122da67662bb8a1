// Fuzzes glyphbdf: any bytes as the font on its standard input (the seeds
// are OpenType bitmap, PCF and gzip-compressed PCF files), the command line
// chosen by the last byte.
#include "bdf_reader_properties.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace glyph::fuzz;
    const std::string_view input = capped_input(data, size);
    require(
        check_bdf_reader_run(bdf_reader_option_sets()[bdf_reader_option_index_for(input)], input));
    return 0;
}
