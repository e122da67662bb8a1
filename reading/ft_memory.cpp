#include "ft_memory.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H

#include FT_MODULE_H

#include <cstdlib>

#include "memory.hpp"

namespace glyph {
namespace {

// FreeType asks for its blocks in the thread that calls it, and runs in
// several threads may each read a font: each counts its own refusals.
thread_local unsigned long refused = 0;

bool allowed(long size) {
    if (size > 0 && allocation_allowed(static_cast<std::size_t>(size))) return true;
    ++refused;
    return false;
}

void* limited_alloc(FT_Memory, long size) {
    if (!allowed(size)) return nullptr;
    return std::malloc(static_cast<std::size_t>(size));
}

void limited_free(FT_Memory, void* block) {
    std::free(block);
}

void* limited_realloc(FT_Memory, long, long new_size, void* block) {
    if (!allowed(new_size)) return nullptr;
    return std::realloc(block, static_cast<std::size_t>(new_size));
}

FT_MemoryRec_ limited_memory = {nullptr, limited_alloc, limited_free, limited_realloc};

}  // namespace

unsigned long ft_refused_blocks() {
    return refused;
}

int new_capped_library(FT_LibraryRec_*& library) {
    FT_Library created = nullptr;
    if (FT_Error error = FT_New_Library(&limited_memory, &created)) return error;
    FT_Add_Default_Modules(created);
    FT_Set_Default_Properties(created);
    library = created;
    return 0;
}

}  // namespace glyph
