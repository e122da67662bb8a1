// The steps of a family's plan that glyphfamily carries out itself, as the
// plan prints them ("glyphfamily --face bold ...") and as a run calls them.
#pragma once

#include <string>
#include <vector>

#include "byte_io.hpp"
#include "family_options.hpp"

namespace glyph {

// --face: a derived face of FONT, made by its filter with the options given
// and named as the family names it. Returns the exit status.
int write_face_step(const family::FamilyOptions& options, ByteSink& out, ByteSink& err);

// --otb: one OpenType bitmap file of the BDF faces, a strike each.
int write_otb_step(const family::FamilyOptions& options, ByteSink& out, ByteSink& err);

// --fontconfig: the file that lets fontconfig accept the family's bitmap files.
int write_fontconfig_step(const family::FamilyOptions& options, ByteSink& out);

}  // namespace glyph
