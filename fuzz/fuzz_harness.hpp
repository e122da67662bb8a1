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
    static const bool limited = (set_allocation_limit(ALLOCATION_LIMIT), true);
    (void)limited;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const OptionSet& options = option_sets()[option_index_for(input)];
    std::string why = check_run(tool, options, input);
    if (!why.empty()) {
        std::fprintf(stderr, "PROPERTY VIOLATED: %s\n", why.c_str());
        std::abort();
    }
    return 0;
}

}  // namespace glyph::fuzz
