#include "staging.hpp"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <optional>

#include "stop_signal.hpp"

namespace glyph::family {
namespace fs = std::filesystem;
namespace {

std::string failure(const fs::path& path, int error) {
    return path.string() + ": " + std::strerror(error);
}

// "dir/" and "dir/." name the folder "dir".
fs::path without_trailing_slash(const fs::path& path) {
    fs::path clean = path.lexically_normal();
    if (!clean.has_filename() && clean.has_parent_path() && clean != clean.root_path())
        clean = clean.parent_path();
    return clean.empty() ? fs::path(".") : clean;
}

// The folder that holds `path`, "." for a bare name.
fs::path parent_of(const fs::path& path) {
    const fs::path parent = path.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

std::string writable_folder(const fs::path& folder, const fs::path& shown) {
    struct stat info;
    if (::stat(folder.c_str(), &info) != 0) return failure(shown, errno);
    if (!S_ISDIR(info.st_mode)) return shown.string() + ": not a folder";
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return failure(shown, errno);
    return {};
}

bool exists_at(const fs::path& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

dev_t device_of(const fs::path& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 ? info.st_dev : 0;
}

// Whether a stage's pid still names a run that may be using it: a live
// process of this program. Anything else left the stage behind.
bool run_alive(long pid) {
    if (pid == ::getpid()) return true;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) return false;
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    if (!comm || !std::getline(comm, name)) return true;  // cannot tell: leave it
    return name == "glyphfamily";
}

// The pid in ".NAME.part-PID-N", when `entry` is a stage of `folder`.
std::optional<long> stage_pid(const std::string& entry, const std::string& folder) {
    const std::string head = "." + folder + ".part-";
    if (!entry.starts_with(head)) return std::nullopt;
    const char* at = entry.data() + head.size();
    const char* end = entry.data() + entry.size();
    long pid = 0;
    unsigned serial = 0;
    auto [stop, error] = std::from_chars(at, end, pid);
    if (error != std::errc() || stop == end || *stop != '-' || pid <= 0) return std::nullopt;
    auto [last, problem] = std::from_chars(stop + 1, end, serial);
    if (problem != std::errc() || last != end) return std::nullopt;
    return pid;
}

// Removes the stages of `folder` beside it that no live run owns.
void remove_stale_stages(const fs::path& folder, const fs::path& shown_parent,
                         std::vector<std::string>& removed) {
    std::error_code error;
    const std::string name = folder.filename().string();
    for (const fs::directory_entry& entry : fs::directory_iterator(parent_of(folder), error)) {
        const std::string entry_name = entry.path().filename().string();
        const std::optional<long> pid = stage_pid(entry_name, name);
        if (!pid || run_alive(*pid)) continue;
        std::error_code ignored;
        if (fs::remove_all(entry.path(), ignored) != static_cast<std::uintmax_t>(-1))
            removed.push_back((shown_parent / entry_name).lexically_normal().string());
    }
}

// A new folder ".NAME.part-PID-N" beside `folder`, or an empty path with
// `error` set. Made with mkdir, not mkdtemp, so that the umask gives its
// subfolders the mode they keep when they are moved into the target.
fs::path make_stage(const fs::path& folder, const fs::path& shown, std::string& error) {
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate =
            parent_of(folder) / stage_name(folder.filename().string(), ::getpid(), serial++);
        if (::mkdir(candidate.c_str(), 0777) == 0) return candidate;
        if (errno != EEXIST) {
            error = "cannot write beside " + shown.string() + ": " + std::strerror(errno);
            return {};
        }
    }
    error = "cannot make a folder beside " + shown.string();
    return {};
}

}  // namespace

std::string stage_name(const std::string& folder, long pid, unsigned serial) {
    return "." + folder + ".part-" + std::to_string(pid) + "-" + std::to_string(serial);
}

Target resolve_target(const fs::path& target, const std::vector<std::string>& kept) {
    Target resolved;
    resolved.shown = without_trailing_slash(target);
    std::error_code error;
    // Links resolved for the parts that exist, so that the stage sits on the
    // file system the files end up on and every move is a rename there.
    resolved.real = fs::weakly_canonical(fs::absolute(resolved.shown, error), error);
    if (error) {
        resolved.error = failure(resolved.shown, error.value());
        return resolved;
    }
    if (!exists_at(resolved.real)) {
        resolved.error = writable_folder(parent_of(resolved.real), parent_of(resolved.shown));
    } else {
        resolved.error = writable_folder(resolved.real, resolved.shown);
    }
    if (!resolved.error.empty()) return resolved;
    // The stage goes beside the target.
    resolved.error = writable_folder(parent_of(resolved.real), parent_of(resolved.shown));
    if (!resolved.error.empty()) return resolved;
    for (const std::string& name : kept) {
        Destination into{name, resolved.shown / name, resolved.real / name};
        if (exists_at(into.real)) {
            if (std::string problem = writable_folder(into.real, into.shown); !problem.empty()) {
                resolved.error = problem;
                return resolved;
            }
            into.real = fs::canonical(into.real, error);
            if (error) {
                resolved.error = failure(into.shown, error.value());
                return resolved;
            }
            if (into.real.parent_path() != resolved.real) {
                // A linked subfolder: its files are staged beside it too.
                resolved.error = writable_folder(into.real.parent_path(), into.shown / "..");
                if (!resolved.error.empty()) return resolved;
            }
        }
        resolved.folders.push_back(std::move(into));
    }
    return resolved;
}

Stage::Stage(const Target& target) : target_(target) {
    if (!target_.error.empty()) {
        error_ = target_.error;
        return;
    }
    remove_stale_stages(target_.real, parent_of(target_.shown), removed_);
    for (const Destination& into : target_.folders)
        if (into.real.parent_path() != target_.real)
            remove_stale_stages(into.real, parent_of(into.shown), removed_);
    path_ = make_stage(target_.real, target_.shown, error_);
}

Stage::~Stage() {
    std::error_code ignored;
    for (const fs::path& side : side_stages_)
        fs::remove_all(side, ignored);
    if (!path_.empty()) fs::remove_all(path_, ignored);
}

fs::path Stage::folder(const std::string& name) {
    const fs::path folder = path_ / name;
    ::mkdir(folder.c_str(), 0777);
    return folder;
}

// One rename of the commit, with the file it replaces moved aside first.
struct Stage::Move {
    fs::path from, to, aside;
    fs::path shown;  // `to` as the user names it
    bool moved_aside = false;
    bool placed = false;
};

// The staged files of a destination on another file system than the stage
// are copied beside it first: a rename cannot cross file systems, and a
// copy that fails harms nothing.
fs::path Stage::side_folder(const Destination& into) {
    const bool exists = exists_at(into.real);
    const dev_t device = device_of(exists ? into.real : target_.real);
    if (device == 0 || device == device_of(path_)) return path_;
    const fs::path anchor = exists ? into.real : target_.real / into.name;
    std::string problem;
    fs::path side = make_stage(anchor, into.shown, problem);
    if (side.empty()) throw fs::filesystem_error(problem, std::error_code());
    side_stages_.push_back(side);
    fs::copy(path_ / into.name, side / into.name, fs::copy_options::recursive);
    return side;
}

std::string Stage::plan_moves(std::vector<Move>& moves) {
    for (const Destination& into : target_.folders) {
        const fs::path home = side_folder(into);
        const fs::path from = home / into.name;
        const fs::path aside = home / ".replaced" / into.name;
        if (!exists_at(into.real)) {
            moves.push_back({from, into.real, {}, into.shown});
            continue;
        }
        fs::create_directories(aside);
        std::vector<fs::path> files;
        for (const fs::directory_entry& file : fs::directory_iterator(from))
            files.push_back(file.path().filename());
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            const fs::path there = into.real / file;
            struct stat info;
            const bool taken = ::lstat(there.c_str(), &info) == 0;
            if (taken && S_ISDIR(info.st_mode))
                return (into.shown / file).string() + ": a folder is in the way";
            moves.push_back(
                {from / file, there, taken ? aside / file : fs::path(), into.shown / file});
        }
        // Files the run removes: only moved aside, and so taken away with the stage.
        for (const std::string& removed : removed_files_) {
            const fs::path file = fs::path(removed);
            if (file.parent_path() != into.name || exists_at(from / file.filename())) continue;
            const fs::path there = into.real / file.filename();
            struct stat info;
            if (::lstat(there.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) continue;
            moves.push_back({{}, there, aside / file.filename(), into.shown / file.filename()});
        }
    }
    return {};
}

std::string Stage::commit(const std::function<std::string(const fs::path& into)>& before_move) {
    if (!error_.empty()) return error_;
    std::vector<Move> moves;
    bool made_target = false;
    std::string problem;
    const auto undo = [&] {
        for (auto move = moves.rbegin(); move != moves.rend(); ++move) {
            if (move->placed) ::rename(move->to.c_str(), move->from.c_str());
            if (move->moved_aside) ::rename(move->aside.c_str(), move->to.c_str());
        }
        if (made_target) ::rmdir(target_.real.c_str());
    };
    try {
        if (!exists_at(target_.real)) {
            if (::mkdir(target_.real.c_str(), 0777) != 0) return failure(target_.shown, errno);
            made_target = true;
        }
        problem = plan_moves(moves);
    } catch (const fs::filesystem_error& error) {
        problem = error.code() ? failure(target_.shown, error.code().value()) : error.what();
    }
    for (std::size_t i = 0; problem.empty() && i < moves.size(); ++i) {
        Move& move = moves[i];
        const fs::path& shown = move.shown;
        if (const int signo = stop_signal()) {
            problem = "stopped by signal " + std::to_string(signo);
        } else if (before_move) {
            problem = before_move(move.to);
        }
        if (!problem.empty()) break;
        if (!move.aside.empty()) {
            if (::rename(move.to.c_str(), move.aside.c_str()) != 0) {
                problem = failure(shown, errno);
                break;
            }
            move.moved_aside = true;
        }
        if (move.from.empty()) continue;
        if (::rename(move.from.c_str(), move.to.c_str()) != 0) {
            problem = failure(shown, errno);
            break;
        }
        move.placed = true;
    }
    if (!problem.empty()) {
        undo();
        return problem;
    }
    return {};  // the replaced files go with the stage
}

}  // namespace glyph::family
