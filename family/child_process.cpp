#include "child_process.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace glyph::family {
namespace {

// A descriptor closed when it goes out of scope.
class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

  private:
    int fd_;
};

class SpawnActions {
  public:
    SpawnActions() { posix_spawn_file_actions_init(&actions_); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

  private:
    posix_spawn_file_actions_t actions_;
};

std::string failure(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

}  // namespace

std::optional<std::string> find_on_path(const std::string& program, const char* path) {
    if (program.find('/') != std::string::npos)
        return ::access(program.c_str(), X_OK) == 0 ? std::optional(program) : std::nullopt;
    const std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t at = 0;
    while (at <= folders.size()) {
        std::size_t end = folders.find(':', at);
        if (end == std::string::npos) end = folders.size();
        std::string folder = folders.substr(at, end - at);
        at = end + 1;
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + program;
        struct stat info;
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::nullopt;
}

ChildResult run_child(const std::string& executable, const std::vector<std::string>& argv,
                      const std::string* output_file) {
    ChildResult result;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        result.messages = failure("cannot make a pipe", errno);
        return result;
    }
    Fd reader(ends[0]), writer(ends[1]);
    Fd output;
    if (output_file) {
        output.reset(::open(output_file->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
        if (output.get() < 0) {
            result.messages = failure(*output_file, errno);
            return result;
        }
    }
    SpawnActions actions;
    posix_spawn_file_actions_addopen(actions.get(), 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(actions.get(), output_file ? output.get() : writer.get(), 1);
    posix_spawn_file_actions_adddup2(actions.get(), writer.get(), 2);

    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    pid_t pid = 0;
    const int error =
        ::posix_spawn(&pid, executable.c_str(), actions.get(), nullptr, args.data(), environ);
    writer.reset();
    output.reset();
    if (error != 0) {
        result.messages = failure("cannot run " + executable, error);
        return result;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(reader.get(), buffer, sizeof buffer);
        if (n > 0) {
            result.messages.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            result.messages += failure("cannot wait for " + executable, errno);
            return result;
        }
    }
    if (WIFEXITED(status)) {
        result.ok = WEXITSTATUS(status) == 0;
        if (!result.ok && result.messages.empty())
            result.messages = "exit status " + std::to_string(WEXITSTATUS(status));
    } else if (WIFSIGNALED(status)) {
        result.messages += std::string(result.messages.empty() ? "" : "; ") + "killed by signal " +
                           std::to_string(WTERMSIG(status));
    }
    return result;
}

}  // namespace glyph::family
