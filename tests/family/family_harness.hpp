// What glyphfamily's tests share: scratch folders, the environment of a run,
// folders read back whole, and the run itself in-process.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "child_process.hpp"
#include "file_io.hpp"
#include "tool_harness.hpp"
#include "tools.hpp"

namespace glyph::test {

// A scratch folder, removed with everything in it.
struct Scratch {
    Scratch() {
        std::string name = (std::filesystem::temp_directory_path() / "glyphfamily-XXXXXX").string();
        path = ::mkdtemp(name.data());
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string write(const std::string& name, const std::string& text) const {
        const std::string file = (path / name).string();
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }
    // An executable shell script.
    std::string script(const std::string& name, const std::string& body) const {
        const std::string file = write(name, "#!/bin/sh\n" + body);
        std::filesystem::permissions(file, std::filesystem::perms::owner_all);
        return file;
    }
    std::filesystem::path path;
};

// Sets an environment variable for the life of the object.
struct EnvSetting {
    EnvSetting(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~EnvSetting() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }
    EnvSetting(const EnvSetting&) = delete;
    EnvSetting& operator=(const EnvSetting&) = delete;
    const char* name_;
    std::optional<std::string> old_;
};

inline RunResult family(std::vector<std::string> args) {
    return run_tool_on(run_glyphfamily, "", std::move(args));
}

inline bool have(const char* program) {
    return family::find_on_path(program, std::getenv("PATH")).has_value();
}

#define NEED_CONVERTERS()                        \
    if (!have("bdftopcf") || !have("mkfontdir")) \
    GTEST_SKIP() << "xfonts-utils (bdftopcf, mkfontdir) is not installed"

inline std::string read(const std::filesystem::path& path) {
    std::string text;
    family::read_file(path.string(), text);
    return text;
}

// Every file, folder and link under `root`, with the bytes of each file and
// where each link points; links are not followed.
inline std::map<std::string, std::string> tree(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = entry.path().lexically_relative(root).string();
        if (entry.is_symlink())
            entries[name] = "<link to " + fs::read_symlink(entry.path()).string() + ">";
        else
            entries[name] = entry.is_directory() ? "<folder>" : read(entry.path());
    }
    return entries;
}

}  // namespace glyph::test
