#include "input.hpp"

#include <fcntl.h>

#include <cerrno>

namespace glyph {
namespace {

// Standard input is borrowed, not owned: the caller keeps it open.
class BorrowedSource final : public ByteSource {
  public:
    explicit BorrowedSource(ByteSource& source) : source_(source) {}
    std::size_t read(char* buffer, std::size_t capacity) override {
        return source_.read(buffer, capacity);
    }

  private:
    ByteSource& source_;
};

}  // namespace

std::unique_ptr<ByteSource> open_input(const char* path, ByteSource& standard_input) {
    if (!path) return std::make_unique<BorrowedSource>(standard_input);
    int fd;
    do {
        fd = ::open(path, O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return nullptr;
    return std::make_unique<FdSource>(fd, true);
}

}  // namespace glyph
