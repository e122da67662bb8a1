#include "file_io.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace glyph::family {
namespace {

std::string failure(const std::string& path, int error) {
    return path + ": " + std::strerror(error);
}

}  // namespace

std::string read_file(const std::string& path, std::string& text) {
    text.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return failure(path, errno);
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        text.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            const int error = errno;
            ::close(fd);
            return failure(path, error);
        }
    }
    ::close(fd);
    return {};
}

std::string write_file(const std::string& path, std::string_view text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return failure(path, errno);
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            ::close(fd);
            return failure(path, error);
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    if (::close(fd) != 0) return failure(path, errno);
    return {};
}

}  // namespace glyph::family
