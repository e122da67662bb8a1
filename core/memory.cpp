#include "memory.hpp"

namespace glyph {
namespace {
std::size_t allocation_limit = 0;

bool over_limit(std::size_t size) {
    return allocation_limit != 0 && size > allocation_limit;
}
}  // namespace

void set_allocation_limit(std::size_t bytes) {
    allocation_limit = bytes;
}

std::size_t current_allocation_limit() {
    return allocation_limit;
}

bool allocation_allowed(std::size_t bytes) {
    return !over_limit(bytes);
}

std::size_t checked_size(std::size_t count, std::size_t size) {
    std::size_t product = 0;
    if (__builtin_mul_overflow(count, size, &product)) throw MemoryExhausted();
    return product;
}

MemBlock alloc_or_die(std::size_t size) {
    // malloc(0) may hand back nothing at all; a block of one byte is always usable.
    void* p = over_limit(size) ? nullptr : std::malloc(size ? size : 1);
    if (!p) throw MemoryExhausted();
    return MemBlock(p);
}

MemBlock realloc_or_die(MemBlock block, std::size_t size) {
    if (over_limit(size)) throw MemoryExhausted();
    void* p = std::realloc(block.get(), size ? size : 1);
    if (!p) throw MemoryExhausted();  // the old block is still owned and released by `block`
    (void)block.release();
    return MemBlock(p);
}

MemBlock calloc_or_die(std::size_t count, std::size_t size) {
    std::size_t total = checked_size(count, size);
    void* p = over_limit(total) ? nullptr : std::calloc(total ? count : 1, total ? size : 1);
    if (!p) throw MemoryExhausted();
    return MemBlock(p);
}

}  // namespace glyph
