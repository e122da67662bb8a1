// The output folder is never left half written: a run builds everything in a
// folder of its own beside it and moves the finished files into place, all
// of them or none.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace glyph::family {

// Where a run's subfolder `name` ("bdf", "pcf", ...) ends up: symbolic links
// of the target and of its subfolders are followed, as install(1) and
// rsync(1) do, so that the files land in the folder a link points to.
struct Destination {
    std::string name;             // the subfolder, as the stage holds it
    std::filesystem::path shown;  // as the user named it: "t1/pcf"
    std::filesystem::path real;   // links resolved: "/home/u/realpcf"
};

// The target and its subfolders `kept`, resolved, after checking that the run
// can write them: the target and those of its subfolders that exist are
// writable folders (or it does not exist and its parent is one). `error`
// says what stands in the way.
struct Target {
    std::filesystem::path shown;
    std::filesystem::path real;
    std::vector<Destination> folders;
    std::string error;
};
Target resolve_target(const std::filesystem::path& target, const std::vector<std::string>& kept);

class Stage {
  public:
    // A stage beside the real target, on its file system; `error` says why
    // there is none. Stages of the same target that runs killed outright
    // left behind are removed first (see removed()).
    explicit Stage(const Target& target);
    ~Stage();  // removes whatever is still in the stage
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

    const std::string& error() const { return error_; }
    const std::filesystem::path& path() const { return path_; }
    // The stale stages removed, as the user would name them.
    const std::vector<std::string>& removed() const { return removed_; }
    // A folder of the stage, made on first use.
    std::filesystem::path folder(const std::string& name);

    // Files of the target ("bdf/a.bdf") that the commit removes: moved aside
    // with the replaced ones, put back with them on a failure.
    void remove_on_commit(std::vector<std::string> files) { removed_files_ = std::move(files); }
    // Moves the files of the stage's subfolders into their destinations,
    // replacing files of the same names; other files there are left alone.
    // Replaced files are first moved aside, and any failure (or a stop
    // signal) puts every file back where it was. An empty string, or what
    // went wrong. `before_move`, for tests, is asked before each move and
    // fails it with what it returns.
    std::string commit(
        const std::function<std::string(const std::filesystem::path& into)>& before_move = nullptr);

  private:
    struct Move;
    std::string plan_moves(std::vector<Move>& moves);
    std::filesystem::path side_folder(const Destination& into);

    Target target_;
    std::filesystem::path path_;
    std::vector<std::filesystem::path> side_stages_;  // on other file systems
    std::vector<std::string> removed_;
    std::vector<std::string> removed_files_;
    std::string error_;
};

// A stage's name for a folder: ".NAME.part-PID-N", beside it.
std::string stage_name(const std::string& folder, long pid, unsigned serial);

}  // namespace glyph::family
