#include "staging.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace glyph::family {
namespace fs = std::filesystem;
namespace {

std::string failure(const fs::path& path, int error) {
    return path.string() + ": " + std::strerror(error);
}

// The folder that holds `target`, "." for a bare name.
fs::path parent_of(const fs::path& target) {
    const fs::path parent = target.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

std::string writable_folder(const fs::path& folder) {
    struct stat info;
    if (::stat(folder.c_str(), &info) != 0) return failure(folder, errno);
    if (!S_ISDIR(info.st_mode)) return folder.string() + ": not a folder";
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return failure(folder, errno);
    return {};
}

}  // namespace

std::string check_target(const fs::path& target, const std::vector<std::string>& kept) {
    struct stat info;
    if (::lstat(target.c_str(), &info) != 0) {
        if (errno != ENOENT) return failure(target, errno);
        return writable_folder(parent_of(target));
    }
    if (std::string problem = writable_folder(target); !problem.empty()) return problem;
    for (const std::string& name : kept) {
        const fs::path into = target / name;
        if (::lstat(into.c_str(), &info) != 0) continue;
        if (std::string problem = writable_folder(into); !problem.empty()) return problem;
    }
    return {};
}

Stage::Stage(const fs::path& target) : target_(target) {
    // Made with mkdir, not mkdtemp, so that the umask gives the folder the
    // mode it keeps when it becomes the target.
    static std::atomic<unsigned> serial{0};
    const fs::path name = target.filename().empty() ? fs::path("family") : target.filename();
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate =
            parent_of(target) / ("." + name.string() + ".part-" + std::to_string(::getpid()) + "-" +
                                 std::to_string(serial++));
        if (::mkdir(candidate.c_str(), 0777) == 0) {
            path_ = std::move(candidate);
            return;
        }
        if (errno != EEXIST) {
            error_ = "cannot write beside " + target.string() + ": " + failure(candidate, errno);
            return;
        }
    }
    error_ = "cannot make a folder beside " + target.string();
}

Stage::~Stage() {
    if (path_.empty()) return;
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

fs::path Stage::folder(const std::string& name) {
    const fs::path folder = path_ / name;
    ::mkdir(folder.c_str(), 0777);
    return folder;
}

std::string Stage::check(const std::vector<std::string>& kept) const {
    std::string problem = check_target(target_, kept);
    if (!problem.empty() || !fs::exists(target_)) return problem;
    for (const std::string& name : kept) {
        const fs::path into = target_ / name;
        struct stat info;
        if (::lstat(into.c_str(), &info) != 0) continue;
        std::error_code error;
        for (const fs::directory_entry& file : fs::directory_iterator(path_ / name, error)) {
            const fs::path there = into / file.path().filename();
            if (::lstat(there.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
                return there.string() + ": a folder is in the way";
        }
        if (error) return failure(path_ / name, error.value());
    }
    return {};
}

std::string Stage::commit(const std::vector<std::string>& kept) {
    if (std::string problem = check(kept); !problem.empty()) return problem;
    std::error_code error;
    if (!fs::exists(target_)) {
        // The whole family in one step: the stage becomes the target.
        for (const fs::directory_entry& folder : fs::directory_iterator(path_, error)) {
            const std::string name = folder.path().filename().string();
            if (std::find(kept.begin(), kept.end(), name) == kept.end())
                fs::remove_all(folder.path(), error);
        }
        if (::rename(path_.c_str(), target_.c_str()) != 0) return failure(target_, errno);
        path_.clear();
        return {};
    }
    for (const std::string& name : kept) {
        const fs::path from = path_ / name, into = target_ / name;
        if (::rename(from.c_str(), into.c_str()) == 0) continue;  // a folder new to the target
        if (errno != EEXIST && errno != ENOTEMPTY) return failure(into, errno);
        for (const fs::directory_entry& file : fs::directory_iterator(from, error)) {
            const fs::path there = into / file.path().filename();
            if (::rename(file.path().c_str(), there.c_str()) != 0) return failure(there, errno);
        }
        if (error) return failure(from, error.value());
    }
    return {};
}

}  // namespace glyph::family
