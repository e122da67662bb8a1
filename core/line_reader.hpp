// Splits the input into the pieces a fixed line buffer delivers: a line of up to
// LINE_BUFFER_SIZE - 1 bytes with its line end, or a longer line in pieces of at
// most that many bytes, each of which the tools handle as a line of its own. A
// line of exactly 255 bytes before its line end thus arrives as two pieces, the
// second being the line end alone. Bytes are kept exactly, NUL bytes included.
#pragma once

#include <cstddef>
#include <string_view>

#include "byte_io.hpp"
#include "memory.hpp"

namespace glyph {

inline constexpr std::size_t LINE_BUFFER_SIZE = 256;

// One piece of a line. data[size] is always a NUL, so the piece can also be
// read as a C string (which then ends at the first NUL byte it holds).
struct Line {
    const char* data = nullptr;
    std::size_t size = 0;

    std::string_view view() const { return {data, size}; }
    // The piece as a C string sees it: up to its first NUL byte.
    std::string_view text() const;
};

class LineReader {
  public:
    explicit LineReader(ByteSource& source, std::size_t line_size = LINE_BUFFER_SIZE,
                        std::size_t block_size = 1 << 16);

    // The next piece, or false at the end of the input. A read failure is
    // thrown only after every byte read before it has been handed out.
    bool next(Line& line);

  private:
    bool refill();

    ByteSource& source_;
    std::size_t max_piece_;
    std::size_t block_size_;
    PodArray<char> block_;
    PodArray<char> line_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool at_end_ = false;
    int pending_error_ = 0;
};

}  // namespace glyph
