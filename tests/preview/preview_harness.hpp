// glyphpreview run in-process, the sample font's derived faces as files, the
// goldens, and PNG files read back through libpng.
#pragma once

#include <gtest/gtest.h>
#include <png.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "byte_io.hpp"
#include "glyphpreview.hpp"
#include "tool_harness.hpp"
#include "tools.hpp"

namespace glyph::test {

// The text of the goldens, the letterers' test word: stems, bowls, arches and
// diagonals of the lower case and a capital, short enough to read in a log.
inline const std::string GOLDEN_TEXT = "Hamburgefonstiv";

inline RunResult preview(std::vector<std::string> args, const std::string& input = "") {
    return run_tool_on(run_glyphpreview, input, std::move(args));
}

inline std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A folder of the test program's own, removed when the program ends.
inline const std::filesystem::path& scratch_dir() {
    struct Scratch {
        std::filesystem::path path;
        Scratch() {
            std::string name = (std::filesystem::temp_directory_path() / "glyphpreview-XXXXXX");
            if (!mkdtemp(name.data())) std::abort();
            path = name;
        }
        ~Scratch() { std::filesystem::remove_all(path); }
    };
    static const Scratch scratch;
    return scratch.path;
}

inline std::filesystem::path write_scratch(const std::string& name, const std::string& bytes) {
    std::filesystem::path path = scratch_dir() / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// The sample font in the face named by `suffix` ("" for the regular face,
// "-bold", "-oblique", "-bold-oblique"), derived by the filters in-process and
// stored under the name the sample target gives it.
inline std::string face_path(const std::string& suffix) {
    if (suffix.empty()) return SAMPLE_FONT;
    const std::filesystem::path path = scratch_dir() / ("sample-8x16" + suffix + ".bdf");
    if (!std::filesystem::exists(path)) {
        auto tool = suffix == "-bold"      ? run_glyphstout
                    : suffix == "-oblique" ? run_glyphslope
                                           : run_glyphstoutslope;
        const RunResult r = run_tool_on(tool, read_file(SAMPLE_FONT));
        EXPECT_EQ(r.status, 0) << r.err;
        write_scratch(path.filename(), r.out);
    }
    return path;
}

// The golden terminal rendering of GOLDEN_TEXT in a face. With
// GLYPH_UPDATE_GOLDEN set, `actual` is stored as the new golden instead; look
// at it before keeping it.
inline std::string golden(const std::string& suffix, const std::string& actual = "") {
    const std::filesystem::path path =
        std::filesystem::path(GOLDEN_DIR) / ("sample-8x16" + suffix + ".txt");
    if (!actual.empty() && std::getenv("GLYPH_UPDATE_GOLDEN"))
        std::ofstream(path, std::ios::binary) << actual;
    return read_file(path);
}

// A PNG file as 8-bit gray, one byte per pixel, rows top first.
struct GrayImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
    std::uint8_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

inline GrayImage read_png(const std::filesystem::path& path) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    GrayImage gray;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        ADD_FAILURE() << "libpng cannot read " << path << ": " << image.message;
        return gray;
    }
    image.format = PNG_FORMAT_GRAY;
    gray.pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, gray.pixels.data(), 0, nullptr)) {
        ADD_FAILURE() << "libpng cannot decode " << path << ": " << image.message;
        return gray;
    }
    gray.width = static_cast<int>(image.width);
    gray.height = static_cast<int>(image.height);
    return gray;
}

}  // namespace glyph::test
