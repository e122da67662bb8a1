// The tools take word-parallel fast paths and keep the plain step-by-step
// forms of the same rules beside them. This switch makes every run take the
// plain forms, so tests and fuzzers can hold the two against each other.
#pragma once

namespace glyph {

inline bool reference_paths_on = false;

inline void use_reference_paths(bool on) {
    reference_paths_on = on;
}
inline bool reference_paths() {
    return reference_paths_on;
}

}  // namespace glyph
