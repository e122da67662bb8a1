#include "child_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "stop_signal.hpp"

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

class SpawnAttributes {
  public:
    SpawnAttributes() {
        posix_spawnattr_init(&attributes_);
        // A group of its own: a Ctrl-C at the terminal reaches the run, which
        // stops the group itself, and the group can be killed as a whole.
        posix_spawnattr_setpgroup(&attributes_, 0);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETPGROUP);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    posix_spawnattr_t* get() { return &attributes_; }

  private:
    posix_spawnattr_t attributes_;
};

std::string failure(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

// The last `limit` bytes of a stream, and how many went before them.
class MessageTail {
  public:
    explicit MessageTail(std::size_t limit) : limit_(std::max<std::size_t>(limit, 1)) {}
    void append(const char* bytes, std::size_t size) {
        kept_.append(bytes, size);
        if (kept_.size() > 2 * limit_) trim();
    }
    std::string text() {
        trim();
        if (cut_ == 0) return kept_;
        return "... (" + std::to_string(cut_) + " bytes cut) " + kept_;
    }

  private:
    void trim() {
        if (kept_.size() <= limit_) return;
        const std::size_t drop = kept_.size() - limit_;
        kept_.erase(0, drop);
        cut_ += drop;
    }
    std::size_t limit_;
    std::string kept_;
    std::uint64_t cut_ = 0;
};

struct Watch {
    bool killed = false;
    bool timed_out = false;
    int stopped_by = 0;
    bool reaped = false;
    int status = 0;
};

// Reads the child's messages until it has exited, its deadline passes or the
// run is asked to stop. A child that closes the pipe but goes on is waited
// for in short naps, its deadline still in force.
Watch watch(int reader, pid_t pid, const ChildLimits& limits, MessageTail& tail) {
    using Clock = std::chrono::steady_clock;
    const bool limited = limits.deadline.count() > 0;
    const Clock::time_point deadline = Clock::now() + limits.deadline;
    Watch end;
    bool open = true;
    char buffer[1 << 16];
    for (;;) {
        if (const int signo = stop_signal()) {
            end.killed = true;
            end.stopped_by = signo;
            return end;
        }
        if (!open) {
            const pid_t done = ::waitpid(pid, &end.status, WNOHANG);
            if (done == pid || (done < 0 && errno != EINTR)) {
                end.reaped = done == pid;
                return end;
            }
        }
        int wait = open ? -1 : 20;
        if (limited) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) {
                end.killed = end.timed_out = true;
                return end;
            }
            wait = static_cast<int>(std::min<long long>(wait < 0 ? left : wait, left));
        }
        pollfd fds[2] = {{stop_descriptor(), POLLIN, 0}, {open ? reader : -1, POLLIN, 0}};
        const int ready = ::poll(fds, 2, wait);
        if (ready <= 0 || !(fds[1].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        const ssize_t n = ::read(reader, buffer, sizeof buffer);
        if (n > 0)
            tail.append(buffer, static_cast<std::size_t>(n));
        else if (n == 0 || errno != EINTR)
            open = false;
    }
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
                      const std::string* output_file, const ChildLimits& limits,
                      const std::string* input_file) {
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
    posix_spawn_file_actions_addopen(actions.get(), 0,
                                     input_file ? input_file->c_str() : "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(actions.get(), output_file ? output.get() : writer.get(), 1);
    posix_spawn_file_actions_adddup2(actions.get(), writer.get(), 2);
    SpawnAttributes attributes;

    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    pid_t pid = 0;
    const int error = ::posix_spawn(&pid, executable.c_str(), actions.get(), attributes.get(),
                                    args.data(), environ);
    writer.reset();
    output.reset();
    if (error != 0) {
        result.messages = failure("cannot run " + executable, error);
        return result;
    }
    MessageTail tail(limits.kept_messages);
    const Watch end = watch(reader.get(), pid, limits, tail);
    if (end.killed) {
        // The group, not the converter alone: a script's own children hold
        // the pipe open and would outlive it.
        ::kill(-pid, SIGKILL);
        result.timed_out = end.timed_out;
        result.stopped_by = end.stopped_by;
    }
    int status = end.status;
    while (!end.reaped && ::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            result.messages = tail.text() + failure("cannot wait for " + executable, errno);
            return result;
        }
    }
    result.messages = tail.text();
    if (end.killed) return result;
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
