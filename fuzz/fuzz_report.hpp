// What every fuzz harness does with a run: the input held to the harnesses'
// allocation cap, and a broken property reported by aborting, which the
// fuzzer records with the input.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "memory.hpp"

namespace glyph::fuzz {

// Any single allocation above this ends the run with "FATAL: Memory exhausted".
inline constexpr std::size_t ALLOCATION_LIMIT = std::size_t{64} << 20;

// The fuzzer's bytes, with the cap set on the first call.
inline std::string_view capped_input(const std::uint8_t* data, std::size_t size) {
    static const bool limited = (set_allocation_limit(ALLOCATION_LIMIT), true);
    (void)limited;
    return {reinterpret_cast<const char*>(data), size};
}

// Aborts with `why` when a property is broken; an empty `why` is a good run.
inline void require(const std::string& why) {
    if (why.empty()) return;
    std::fprintf(stderr, "PROPERTY VIOLATED: %s\n", why.c_str());
    std::abort();
}

}  // namespace glyph::fuzz
