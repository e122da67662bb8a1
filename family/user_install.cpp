#include "user_install.hpp"

#include <cstdlib>
#include <system_error>

#include "child_process.hpp"
#include "family_plan.hpp"
#include "file_io.hpp"

namespace glyph::family {
namespace {

namespace fs = std::filesystem;

fs::path xdg_folder(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    // The XDG rules ignore a relative value.
    if (value && *value == '/') return value;
    const char* home = std::getenv("HOME");
    if (!home || !*home) return {};
    return fs::path(home) / fallback;
}

// Copies a file by way of a temporary name, so that a reader of the folder
// never meets half a font.
std::string copy_into(const fs::path& file, const fs::path& folder) {
    std::string text;
    if (std::string error = read_file(file.string(), text); !error.empty()) return error;
    const fs::path target = folder / file.filename();
    const fs::path part = folder / ("." + file.filename().string() + ".part");
    std::error_code ignored;
    fs::remove(part, ignored);
    if (std::string error = write_file(part.string(), text); !error.empty()) return error;
    std::error_code error;
    fs::rename(part, target, error);
    if (error) {
        fs::remove(part, ignored);
        return target.string() + ": " + error.message();
    }
    return {};
}

std::string quoted_path(const fs::path& path) {
    return shell_word(path.string());
}

}  // namespace

UserFolders user_folders(const std::string& family) {
    UserFolders folders;
    const fs::path data = xdg_folder("XDG_DATA_HOME", ".local/share");
    const fs::path config = xdg_folder("XDG_CONFIG_HOME", ".config");
    if (data.empty() || config.empty()) return folders;
    folders.fonts = data / "fonts" / file_name_of(family);
    folders.config = config / "fontconfig" / "conf.d";
    return folders;
}

InstallResult install_for_user(const UserFolders& folders, const std::vector<fs::path>& otb_files,
                               const fs::path& config_file, const std::string& fc_cache) {
    InstallResult result;
    if (folders.fonts.empty()) {
        result.error = "--install: neither XDG_DATA_HOME nor HOME says where the user's fonts are";
        return result;
    }
    std::error_code error;
    for (const fs::path& folder : {folders.fonts, folders.config}) {
        fs::create_directories(folder, error);
        if (error) {
            result.error = "--install: " + folder.string() + ": " + error.message();
            return result;
        }
    }
    result.report = "Installed for fontconfig:\n";
    for (const fs::path& file : otb_files) {
        if (std::string problem = copy_into(file, folders.fonts); !problem.empty()) {
            result.error = "--install: " + problem;
            return result;
        }
        result.report += "  " + (folders.fonts / file.filename()).string() + "\n";
    }
    // Files of an earlier install that the family no longer has.
    for (const fs::directory_entry& entry : fs::directory_iterator(folders.fonts, error)) {
        const fs::path name = entry.path().filename();
        if (entry.path().extension() != ".otb") continue;
        bool current = false;
        for (const fs::path& file : otb_files)
            current = current || file.filename() == name;
        if (!current) fs::remove(entry.path(), error);
    }
    if (std::string problem = copy_into(config_file, folders.config); !problem.empty()) {
        result.error = "--install: " + problem;
        return result;
    }
    const fs::path config = folders.config / config_file.filename();
    result.report += "  " + config.string() + "\n";
    if (fc_cache.empty()) {
        result.report += "fc-cache (package fontconfig) is not on PATH: run it once installed\n";
    } else {
        const ChildResult cache = run_child(fc_cache, {"fc-cache", folders.fonts.string()});
        if (!cache.ok) {
            result.error =
                "--install: fc-cache " + folders.fonts.string() + " failed: " + cache.messages;
            return result;
        }
    }
    result.report += "Remove with: rm -r " + quoted_path(folders.fonts) + " " +
                     quoted_path(config) + " && fc-cache -f\n";
    return result;
}

}  // namespace glyph::family
