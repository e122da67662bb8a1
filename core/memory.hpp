// Heap blocks for the run's buffers. Every allocation of the filters goes
// through these functions, which never hand back an empty block: when memory
// cannot be had they throw MemoryExhausted.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <type_traits>

#include "failure.hpp"

namespace glyph {

struct FreeDeleter {
    void operator()(void* p) const noexcept { std::free(p); }
};
using MemBlock = std::unique_ptr<void, FreeDeleter>;

MemBlock alloc_or_die(std::size_t size);
MemBlock realloc_or_die(MemBlock block, std::size_t size);
MemBlock calloc_or_die(std::size_t count, std::size_t size);

// Caps the total size of any one request, so tests can exercise the
// exhaustion path without exhausting the machine. 0 removes the cap.
void set_allocation_limit(std::size_t bytes);
// The cap in force; 0 when there is none.
std::size_t current_allocation_limit();

// A cap for the life of a run of a program. A cap already in force that is
// lower (a fuzzing harness's, or a caller's) stays.
class AllocationCap {
  public:
    explicit AllocationCap(std::size_t bytes) : before_(current_allocation_limit()) {
        set_allocation_limit(before_ != 0 && before_ < bytes ? before_ : bytes);
    }
    ~AllocationCap() { set_allocation_limit(before_); }
    AllocationCap(const AllocationCap&) = delete;
    AllocationCap& operator=(const AllocationCap&) = delete;

  private:
    std::size_t before_;
};

// Whether a request of `bytes` is within that cap, for code whose blocks come
// from elsewhere (a container, a library's own allocator) but must keep to it.
bool allocation_allowed(std::size_t bytes);

// count * size, or MemoryExhausted when the product does not fit.
std::size_t checked_size(std::size_t count, std::size_t size);

// A growable array of trivially copyable elements, kept in one MemBlock.
// Growing keeps the contents; new elements are left uninitialised.
template <class T>
class PodArray {
    static_assert(std::is_trivially_copyable_v<T>);

  public:
    PodArray() = default;
    explicit PodArray(std::size_t n) { reserve(n); }

    // Makes room for at least n elements.
    void reserve(std::size_t n) {
        if (n <= capacity_) return;
        std::size_t grown = capacity_ + capacity_ / 2;
        std::size_t target = n > grown ? n : grown;
        block_ = realloc_or_die(std::move(block_), checked_size(target, sizeof(T)));
        capacity_ = target;
    }
    void release() {
        block_.reset();
        capacity_ = 0;
    }
    T* data() { return static_cast<T*>(block_.get()); }
    const T* data() const { return static_cast<const T*>(block_.get()); }
    T& operator[](std::size_t i) { return data()[i]; }
    const T& operator[](std::size_t i) const { return data()[i]; }
    std::size_t capacity() const { return capacity_; }

  private:
    MemBlock block_;
    std::size_t capacity_ = 0;
};

}  // namespace glyph
