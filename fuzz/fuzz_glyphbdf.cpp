// Fuzzes glyphbdf: any bytes as the font on its standard input (the seeds
// are OpenType bitmap, PCF and gzip-compressed PCF files), the command line
// chosen by the last byte.
#include <cstdio>
#include <cstdlib>

#include "bdf_reader_properties.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace glyph::fuzz;
    static const bool limited = (glyph::set_allocation_limit(ALLOCATION_LIMIT), true);
    (void)limited;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string why =
        check_bdf_reader_run(bdf_reader_option_sets()[bdf_reader_option_index_for(input)], input);
    if (!why.empty()) {
        std::fprintf(stderr, "PROPERTY VIOLATED: %s\n", why.c_str());
        std::abort();
    }
    return 0;
}
