// Splits the input into the pieces a fixed line buffer delivers: a line of up to
// LINE_BUFFER_SIZE - 1 bytes with its line end, or a longer line in pieces of at
// most that many bytes, each of which the tools handle as a line of its own. A
// line of exactly 255 bytes before its line end thus arrives as two pieces, the
// second being the line end alone. Bytes are kept exactly, NUL bytes included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "byte_io.hpp"
#include "memory.hpp"

namespace glyph {

inline constexpr std::size_t LINE_BUFFER_SIZE = 256;

// One piece of a line, not terminated. Where the tools read a line as a C
// string does, its text ends at its first NUL byte.
struct Line {
    const char* data = nullptr;
    std::size_t size = 0;

    std::string_view view() const { return {data, size}; }
    // The piece as a C string sees it: up to its first NUL byte.
    std::string_view text() const;
    // The piece copied into `buffer` and terminated (a piece of the tools is
    // never longer than LINE_BUFFER_SIZE - 1 bytes).
    const char* c_str(char (&buffer)[LINE_BUFFER_SIZE]) const;
};

// Bit i set where p[i] is a newline, for the sixteen bytes at p. Lines are
// found by a count of trailing zeros rather than a loop, whose exit a
// processor cannot foresee when line lengths vary.
inline std::uint32_t newline_mask(const char* p) {
#if defined(__SSE2__)
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<std::uint32_t>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))));
#else
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i < 16; ++i)
        mask |= std::uint32_t{p[i] == '\n'} << i;
    return mask;
#endif
}

// Bit i set where p[i] is a newline, for the 64 bytes at p.
inline std::uint64_t newline_mask64(const char* p) {
    return std::uint64_t{newline_mask(p)} | std::uint64_t{newline_mask(p + 16)} << 16 |
           std::uint64_t{newline_mask(p + 32)} << 32 | std::uint64_t{newline_mask(p + 48)} << 48;
}

// The size, newline included, of a line at p whose newline is among its
// first sixteen bytes, which must be readable; 0 for a longer line.
inline std::size_t short_line_size(const char* p) {
    const std::uint32_t mask = newline_mask(p);
    return mask ? static_cast<std::size_t>(__builtin_ctz(mask)) + 1 : 0;
}

// Pieces are handed out in place, inside the reader's block: a piece stays
// valid until the next call of next().
class LineReader {
  public:
    explicit LineReader(ByteSource& source, std::size_t line_size = LINE_BUFFER_SIZE,
                        std::size_t block_size = 1 << 16);
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // The next piece, or false at the end of the input. A read failure is
    // thrown only after every byte read before it has been handed out.
    bool next(Line& line) {
        const char* block = block_.data();
        // Most lines of a font are short: their newline is among the next
        // sixteen bytes, and a line that short is never cut into pieces.
        const std::size_t avail = end_ - begin_;
        if (avail >= 16 && max_piece_ >= 16) {
            if (const std::size_t size = short_line_size(block + begin_)) {
                hand_out(line, size);
                return true;
            }
        }
        return next_slow(line);
    }

    // The bytes read but not handed out yet. A caller that splits lines
    // itself may take whole lines of at most LINE_BUFFER_SIZE - 1 bytes with
    // their newline from here and consume() them; everything else it leaves
    // to next(), which refills the block and cuts long lines.
    std::string_view buffered() const { return {block_.data() + begin_, end_ - begin_}; }
    void consume(std::size_t n) { begin_ += n; }

  private:
    // A piece without a newline in the block: refills, or ends the input.
    bool next_slow(Line& line);
    void hand_out(Line& line, std::size_t size) {
        line.data = block_.data() + begin_;
        line.size = size;
        begin_ += size;
    }
    bool refill();

    ByteSource& source_;
    std::size_t max_piece_;
    std::size_t block_size_;
    PodArray<char> block_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool at_end_ = false;
    int pending_error_ = 0;
};

}  // namespace glyph
