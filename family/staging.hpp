// The output folder is never left half written: a run builds everything in a
// folder of its own beside it and moves the finished files into place.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace glyph::family {

class Stage {
  public:
    // A stage beside `target`; `error` says why there is none.
    explicit Stage(const std::filesystem::path& target);
    ~Stage();  // removes whatever is still in the stage
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

    const std::string& error() const { return error_; }
    const std::filesystem::path& path() const { return path_; }
    // A folder of the stage, made on first use.
    std::filesystem::path folder(const std::string& name);

    // Whether the subfolders `kept` of the stage can be moved into the target:
    // the target and those of its folders that exist are writable folders,
    // and no file to be moved would replace a folder. An empty string, or
    // what stands in the way.
    std::string check(const std::vector<std::string>& kept) const;
    // Moves the files of the subfolders `kept` into the target (made when
    // missing), replacing files of the same names. The other folders are
    // dropped with the stage.
    std::string commit(const std::vector<std::string>& kept);

  private:
    std::filesystem::path target_;
    std::filesystem::path path_;
    std::string error_;
};

// Whether the target could take a stage's folders `kept`, before any work is
// done: it and those of its folders that exist are writable folders, or it
// does not exist and its parent is one. An empty string, or what stands in
// the way.
std::string check_target(const std::filesystem::path& target, const std::vector<std::string>& kept);

}  // namespace glyph::family
