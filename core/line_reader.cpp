#include "line_reader.hpp"

#include <cstring>

namespace glyph {

std::string_view Line::text() const {
    const void* nul = std::memchr(data, '\0', size);
    return {data, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - data) : size};
}

const char* Line::c_str(char (&buffer)[LINE_BUFFER_SIZE]) const {
    const std::size_t n = size < LINE_BUFFER_SIZE - 1 ? size : LINE_BUFFER_SIZE - 1;
    std::memcpy(buffer, data, n);
    buffer[n] = '\0';
    return buffer;
}

LineReader::LineReader(ByteSource& source, std::size_t line_size, std::size_t block_size)
    : source_(source),
      max_piece_(line_size > 1 ? line_size - 1 : 1),
      block_size_(block_size > max_piece_ ? block_size : max_piece_ + 1) {
    block_.reserve(block_size_);
}

bool LineReader::refill() {
    // Move the unread tail to the front, then fill the rest of the block.
    std::size_t tail = end_ - begin_;
    if (begin_ != 0 && tail != 0) std::memmove(block_.data(), block_.data() + begin_, tail);
    begin_ = 0;
    end_ = tail;
    while (!at_end_ && end_ < block_size_) {
        std::size_t got = 0;
        try {
            got = source_.read(block_.data() + end_, block_size_ - end_);
        } catch (const IoFailure& failure) {
            at_end_ = true;
            pending_error_ = failure.error;
            break;
        }
        if (got == 0) {
            at_end_ = true;
            break;
        }
        end_ += got;
        // Stop filling as soon as a whole line is available.
        if (std::memchr(block_.data() + end_ - got, '\n', got)) break;
    }
    return end_ > begin_;
}

bool LineReader::next_slow(Line& line) {
    std::size_t avail = end_ - begin_;
    const char* start = block_.data() + begin_;
    std::size_t limit = avail < max_piece_ ? avail : max_piece_;
    const void* nl = std::memchr(start, '\n', limit);
    if (!nl && avail < max_piece_ && !at_end_) {
        refill();
        avail = end_ - begin_;
        start = block_.data() + begin_;
        limit = avail < max_piece_ ? avail : max_piece_;
        nl = std::memchr(start, '\n', limit);
    }
    if (avail == 0) {
        if (pending_error_ != 0) {
            int error = pending_error_;
            pending_error_ = 0;
            throw IoFailure(IoFailure::Kind::read, error);
        }
        return false;
    }
    hand_out(line, nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - start) + 1 : limit);
    return true;
}

}  // namespace glyph
