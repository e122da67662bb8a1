#include "png_writer.hpp"

#include <fcntl.h>
#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "byte_io.hpp"
#include "memory.hpp"

namespace glyph {

// libpng's simplified interface reports errors in the image record instead
// of through longjmp, which would skip the destructors of this C++ code.
bool encode_png(const Bitmap& picture, std::string& png, std::string& reason) {
    const std::size_t pixels = checked_size(static_cast<std::size_t>(picture.width()),
                                            static_cast<std::size_t>(picture.height()));
    const MemBlock block = alloc_or_die(pixels);
    png_byte* const gray = static_cast<png_byte*>(block.get());
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            gray[static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width()) +
                 static_cast<std::size_t>(x)] = picture.ink(x, y) ? 0 : 255;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width());
    image.height = static_cast<png_uint_32>(picture.height());
    image.format = PNG_FORMAT_GRAY;
    // The first call measures, the second writes.
    png_alloc_size_t size = 0;
    if (png_image_write_to_memory(&image, nullptr, &size, 0, gray, 0, nullptr)) {
        if (!allocation_allowed(size)) throw MemoryExhausted();
        png.resize(size);
        if (png_image_write_to_memory(&image, png.data(), &size, 0, gray, 0, nullptr)) {
            png.resize(size);
            return true;
        }
    }
    reason = image.message;
    png_image_free(&image);
    return false;
}

bool write_file(const std::string& path, std::string_view bytes, std::string& reason) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    bool written = true;
    try {
        FdSink sink(fd, 1 << 16);
        sink.put(bytes);
        sink.flush();
    } catch (const IoFailure& failure) {
        reason = std::strerror(failure.error);
        written = false;
    }
    // A file system that defers its errors reports them at close.
    if (::close(fd) != 0 && written) {
        reason = std::strerror(errno);
        written = false;
    }
    return written;
}

bool write_png(const std::string& path, const Bitmap& picture, std::string& reason) {
    std::string png;
    return encode_png(picture, png, reason) && write_file(path, png, reason);
}

}  // namespace glyph
