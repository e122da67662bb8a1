// The part the three fuzz harnesses share: the input goes to the tool as its
// standard input, with an option set chosen by the input's first byte, under
// an allocation limit; a broken property aborts, which the fuzzer reports.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "run_properties.hpp"

namespace glyph::fuzz {

inline int fuzz_one(Tool tool, const std::uint8_t* data, std::size_t size) {
    const std::string_view input = capped_input(data, size);
    require(check_run(tool, option_sets()[option_index_for(input)], input));
    return 0;
}

}  // namespace glyph::fuzz
