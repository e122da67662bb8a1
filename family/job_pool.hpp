// The faces of a family and their conversions are independent of each other
// but for the few inputs each needs: they run side by side on a few threads.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace glyph::family {

struct Job {
    std::function<std::string()> work;  // an empty string, or what went wrong
    std::vector<std::size_t> after;     // jobs (earlier in the list) it needs
};

// Runs every job once the jobs it comes after have succeeded, on at most
// `threads` threads, lower indices first. After a failure, or once a stop
// signal has come (stop_signal.hpp), no job starts.
// Returns the message of the first failed job in the list, or an empty string.
std::string run_jobs(const std::vector<Job>& jobs, unsigned threads);

}  // namespace glyph::family
