// The X font tools and files the reading tests stand on, found at test time.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace glyph::test {

inline bool on_path(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command; true when it succeeds.
inline bool shell(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

inline std::string quoted(const std::filesystem::path& path) {
    std::string text = "'";
    for (char c : path.string())
        c == '\'' ? text += "'\\''" : text += c;
    return text + "'";
}

inline void write_text(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string read_text(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A folder of its own for one test, removed with the object.
class ScratchDir {
  public:
    ScratchDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "glyphbdf-test-XXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// The real-font suite's BDF files, fetched by tests/integration/fetch_fonts.sh.
inline std::filesystem::path real_font_cache() {
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : "/") / ".cache/glyphfilters-fonts";
}

}  // namespace glyph::test
