// Where a run's bytes come from and go to. The tools work on these, so the same
// entry function serves the real standard streams and in-memory tests.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "memory.hpp"

namespace glyph {

// A source of input bytes. read() returns the number of bytes delivered, 0 at
// the end of the input; a failure throws IoFailure(read).
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual std::size_t read(char* buffer, std::size_t capacity) = 0;
};

// Everything a source has left, for the programs that read a whole font.
std::string read_all(ByteSource& in);

class ByteSink;
// The one message of a failed run, after the output collected so far (a
// failure to deliver that adds nothing to the message); returns status 1.
int fail_with(ByteSink& out, ByteSink& err, std::string_view message);

// Reads a POSIX file descriptor; closes it on destruction when owned.
class FdSource final : public ByteSource {
  public:
    FdSource(int fd, bool owned) : fd_(fd), owned_(owned) {}
    ~FdSource() override;
    FdSource(const FdSource&) = delete;
    FdSource& operator=(const FdSource&) = delete;
    std::size_t read(char* buffer, std::size_t capacity) override;

  private:
    int fd_;
    bool owned_;
};

// Serves bytes held in memory; `fail_errno` (when not 0) makes the read after
// the last byte fail, as a device error would.
class MemorySource final : public ByteSource {
  public:
    explicit MemorySource(std::string_view bytes, int fail_errno = 0)
        : bytes_(bytes), fail_errno_(fail_errno) {}
    std::size_t read(char* buffer, std::size_t capacity) override;

  private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
    int fail_errno_;
};

// A buffered byte sink. put() collects bytes; when the buffer fills, or on
// flush(), they are handed to deliver(). A failed delivery throws
// IoFailure(write).
class ByteSink {
  public:
    // Buffers are never smaller than this, so a formatted group always fits.
    static constexpr std::size_t MIN_BUFFER = 64;
    explicit ByteSink(std::size_t buffer_size);
    virtual ~ByteSink() = default;
    ByteSink(const ByteSink&) = delete;
    ByteSink& operator=(const ByteSink&) = delete;

    void put(const char* bytes, std::size_t n) {
        if (n == 0) return;  // an empty view may carry no pointer at all
        if (n <= capacity_ - used_) {
            std::memcpy(buffer_.data() + used_, bytes, n);
            used_ += n;
            if (capacity_ == used_) flush();
        } else {
            put_slow(bytes, n);
        }
    }
    void put(std::string_view s) { put(s.data(), s.size()); }
    void put(char c) {
        buffer_[used_++] = c;
        if (used_ == capacity_) flush();
    }
    // Room for n more bytes written straight into the buffer, then commit(n).
    char* reserve(std::size_t n) {
        if (capacity_ - used_ < n) holding() ? flush_holding(n) : flush();
        return used_ + n <= capacity_ ? buffer_.data() + used_ : nullptr;
    }
    void commit(std::size_t n) {
        used_ += n;
        if (used_ == capacity_) flush();
    }
    // The free part of the buffer, at least n bytes (n <= MIN_BUFFER), for
    // writing many short pieces in a row; then commit() what was written.
    std::size_t free_space(std::size_t n, char*& begin) {
        if (capacity_ - used_ < n) holding() ? flush_holding(n) : flush();
        begin = buffer_.data() + used_;
        return capacity_ - used_;
    }
    // Delivers the bytes put so far, but none that are held.
    void flush();
    std::size_t buffer_capacity() const { return capacity_; }

    // Holding: the bytes put after hold() stay in the buffer, which grows to
    // keep them, where they can still be rewritten; release() lets them go
    // out with the rest and drop_held() forgets them. The buffer keeps the
    // size it grew to, so holding a run of like pieces allocates once.
    void hold() { hold_ = used_; }
    bool holding() const { return hold_ != NOT_HOLDING; }
    std::size_t held_size() const { return used_ - hold_; }
    char* held() { return buffer_.data() + hold_; }
    void release() { hold_ = NOT_HOLDING; }
    void drop_held() {
        used_ = hold_;
        hold_ = NOT_HOLDING;
    }
    // Replaces `size` held bytes from `offset` with `text`.
    void replace_held(std::size_t offset, std::size_t size, std::string_view text) {
        if (text.size() == size)
            std::memcpy(held() + offset, text.data(), size);
        else
            replace_held_resized(offset, size, text);
    }

  protected:
    virtual void deliver(const char* bytes, std::size_t n) = 0;

  private:
    static constexpr std::size_t NOT_HOLDING = ~std::size_t{0};
    void put_slow(const char* bytes, std::size_t n);
    // flush() while holding: delivers what lies before the held bytes and
    // makes room for `room` more after them.
    void flush_holding(std::size_t room);
    void replace_held_resized(std::size_t offset, std::size_t size, std::string_view text);
    PodArray<char> buffer_;
    std::size_t capacity_;
    std::size_t used_ = 0;
    std::size_t hold_ = NOT_HOLDING;
};

// Writes to a POSIX file descriptor (never closes it). A quiet sink drops
// what it cannot write instead of failing (standard error).
class FdSink final : public ByteSink {
  public:
    FdSink(int fd, std::size_t buffer_size, bool quiet = false)
        : ByteSink(buffer_size), fd_(fd), quiet_(quiet) {}

  protected:
    void deliver(const char* bytes, std::size_t n) override;

  private:
    int fd_;
    bool quiet_;
};

// Collects everything into a string.
class StringSink final : public ByteSink {
  public:
    explicit StringSink(std::size_t buffer_size = 4096) : ByteSink(buffer_size) {}
    // Everything put so far, flushed first.
    const std::string& text() {
        flush();
        return text_;
    }

  protected:
    void deliver(const char* bytes, std::size_t n) override { text_.append(bytes, n); }

  private:
    std::string text_;
};

}  // namespace glyph
