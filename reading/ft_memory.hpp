// A FreeType instance whose blocks keep to the run's allocation cap, shared
// by every program that reads fonts through FreeType.
#pragma once

struct FT_LibraryRec_;

namespace glyph {

// Starts FreeType with its default modules and properties, every block it
// asks for held to the cap of core/memory.hpp, so that a font asking for too
// much fails to open (or a glyph to load) instead of taking the machine's
// memory. Returns FreeType's error code; `library` is set only on success.
int new_capped_library(FT_LibraryRec_*& library);

// How many blocks the cap has refused FreeType so far in this thread. FreeType reports a
// font it ran out of memory on as one of an unknown format when every driver
// fails; a count that grew during the attempt tells the two apart.
unsigned long ft_refused_blocks();

}  // namespace glyph
