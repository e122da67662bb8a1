#include "byte_io.hpp"

#include <unistd.h>

#include <cerrno>

namespace glyph {

FdSource::~FdSource() {
    if (owned_) ::close(fd_);
}

std::size_t FdSource::read(char* buffer, std::size_t capacity) {
    for (;;) {
        ssize_t got = ::read(fd_, buffer, capacity);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) throw IoFailure(IoFailure::Kind::read, errno);
    }
}

std::size_t MemorySource::read(char* buffer, std::size_t capacity) {
    std::size_t left = bytes_.size() - pos_;
    if (left == 0 && fail_errno_ != 0) throw IoFailure(IoFailure::Kind::read, fail_errno_);
    std::size_t n = left < capacity ? left : capacity;
    if (n == 0) return 0;
    std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += n;
    return n;
}

ByteSink::ByteSink(std::size_t buffer_size)
    : buffer_(buffer_size < MIN_BUFFER ? MIN_BUFFER : buffer_size),
      capacity_(buffer_size < MIN_BUFFER ? MIN_BUFFER : buffer_size) {}

void ByteSink::flush() {
    if (holding()) return flush_holding(1);
    if (used_ == 0) return;
    std::size_t n = used_;
    used_ = 0;  // a failed delivery drops the bytes; the run ends on it anyway
    deliver(buffer_.data(), n);
}

void ByteSink::flush_holding(std::size_t room) {
    if (hold_ > 0) {
        const std::size_t before = hold_, held = used_ - hold_;
        const auto keep_held = [&] {
            std::memmove(buffer_.data(), buffer_.data() + before, held);
            used_ = held;
            hold_ = 0;
        };
        try {
            deliver(buffer_.data(), before);
        } catch (...) {
            keep_held();  // as in flush(): a failed delivery drops the bytes
            throw;
        }
        keep_held();
    }
    if (capacity_ - used_ < room) {
        buffer_.reserve(used_ + room > 2 * capacity_ ? used_ + room : 2 * capacity_);
        capacity_ = buffer_.capacity();
    }
}

void ByteSink::replace_held_resized(std::size_t offset, std::size_t size, std::string_view text) {
    if (text.size() > size && capacity_ - used_ < text.size() - size)
        flush_holding(text.size() - size);
    char* at = held() + offset;
    std::memmove(at + text.size(), at + size, held_size() - offset - size);
    std::memcpy(at, text.data(), text.size());
    used_ = used_ - size + text.size();
}

void ByteSink::put_slow(const char* bytes, std::size_t n) {
    while (n > 0) {
        std::size_t room = capacity_ - used_;
        std::size_t take = n < room ? n : room;
        std::memcpy(buffer_.data() + used_, bytes, take);
        used_ += take;
        bytes += take;
        n -= take;
        if (used_ == capacity_) flush();
    }
}

void FdSink::deliver(const char* bytes, std::size_t n) {
    while (n > 0) {
        ssize_t done = ::write(fd_, bytes, n);
        if (done < 0) {
            if (errno == EINTR) continue;
            if (quiet_) return;
            throw IoFailure(IoFailure::Kind::write, errno);
        }
        bytes += done;
        n -= static_cast<std::size_t>(done);
    }
}

std::string read_all(ByteSource& in) {
    std::string bytes;
    char buffer[1 << 16];
    while (std::size_t got = in.read(buffer, sizeof buffer))
        bytes.append(buffer, got);
    return bytes;
}

int fail_with(ByteSink& out, ByteSink& err, std::string_view message) {
    try {
        out.flush();
    } catch (const IoFailure&) {
    }
    err.put(message);
    err.flush();
    return 1;
}

}  // namespace glyph
