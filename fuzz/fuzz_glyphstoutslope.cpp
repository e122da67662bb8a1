// Fuzzes glyphstoutslope: any bytes as its standard input.
#include "fuzz_harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return glyph::fuzz::fuzz_one(glyph::fuzz::Tool::stoutslope, data, size);
}
