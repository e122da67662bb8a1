// --install: a finished family's OpenType files put where the user's
// fontconfig finds them, with the file that lets it accept them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace glyph::family {

// Where the user's fonts and fontconfig files go: the XDG folders, with
// their defaults under HOME.
struct UserFolders {
    std::filesystem::path fonts;   // ${XDG_DATA_HOME:-~/.local/share}/fonts/FAMILY
    std::filesystem::path config;  // ${XDG_CONFIG_HOME:-~/.config}/fontconfig/conf.d
};
// The folders from the environment, or an empty `fonts` when neither the XDG
// variable nor HOME says where they are.
UserFolders user_folders(const std::string& family);

struct InstallResult {
    std::string report;  // what was written, and how to take it away again
    std::string error;
};

// Copies `otb_files` into the fonts folder (which then holds no other
// OpenType file) and `config_file` into the configuration folder, then runs
// fc-cache (`fc_cache`, empty when it is not installed) on the fonts folder.
InstallResult install_for_user(const UserFolders& folders,
                               const std::vector<std::filesystem::path>& otb_files,
                               const std::filesystem::path& config_file,
                               const std::string& fc_cache);

}  // namespace glyph::family
