#include "stop_signal.hpp"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace glyph::family {
namespace {

constexpr int CAUGHT[] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<int> caught{0};
std::atomic<bool> watching{false};
std::atomic<int> wake_reader{-1};
std::atomic<int> wake_writer{-1};
struct sigaction previous[3];

extern "C" void record_stop(int signo) {
    const int saved = errno;
    int expected = 0;
    caught.compare_exchange_strong(expected, signo);
    // The byte is never read: every poller sees the pipe readable.
    const int writer = wake_writer.load();
    if (writer >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t ignored = ::write(writer, &byte, 1);
    }
    errno = saved;
}

}  // namespace

StopSignals::StopSignals() {
    caught = 0;
    watching = true;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
        wake_reader = ends[0];
        wake_writer = ends[1];
    }
    struct sigaction action {};
    action.sa_handler = record_stop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) {
        ::sigaction(CAUGHT[i], nullptr, &previous[i]);
        // A signal ignored where the run started (nohup, a background job of
        // a script) stays ignored, as the shell meant.
        if (previous[i].sa_handler != SIG_IGN) ::sigaction(CAUGHT[i], &action, nullptr);
    }
}

StopSignals::~StopSignals() {
    watching = false;
    for (int i = 0; i < 3; ++i)
        ::sigaction(CAUGHT[i], &previous[i], nullptr);
    const int reader = wake_reader.exchange(-1), writer = wake_writer.exchange(-1);
    if (reader >= 0) ::close(reader);
    if (writer >= 0) ::close(writer);
}

int stop_signal() {
    return watching ? caught.load() : 0;
}

int stop_descriptor() {
    return wake_reader.load();
}

int end_as_signalled(int status) {
    const int signo = caught.load();
    if (signo == 0 || status != 128 + signo) return status;
    ::signal(signo, SIG_DFL);
    ::raise(signo);
    return status;  // the signal was blocked or ignored where the process started
}

}  // namespace glyph::family
