// Running the converters: found on PATH and started without a shell, so that
// file names with blanks or quotes reach them as they are.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace glyph::family {

// The first executable file named `program` in the folders of `path` (a
// PATH value; an empty entry is the current folder), or nothing.
std::optional<std::string> find_on_path(const std::string& program, const char* path);

struct ChildLimits {
    // How long the converter may take before it is killed; zero: no limit.
    std::chrono::milliseconds deadline{0};
    // How much of its messages is kept: the last bytes, where the reason is.
    std::size_t kept_messages = 4096;
};

struct ChildResult {
    bool ok = false;         // started and exited with status 0
    bool timed_out = false;  // killed at its deadline
    int stopped_by = 0;      // killed because the run was asked to stop by this signal
    // What it wrote to standard error (and output, unless redirected), its
    // end only when it wrote more than the limits keep: "... (N bytes cut) ".
    std::string messages;
};

// Runs `executable` with `argv` (argv[0] included), standard input from
// `input_file` or /dev/null and standard output into `output_file` when one is given, in a
// process group of its own, so that what it starts in turn is stopped with
// it: at its deadline or when a stop signal arrives (see stop_signal.hpp).
// Messages of a failure to start are in `messages` too.
ChildResult run_child(const std::string& executable, const std::vector<std::string>& argv,
                      const std::string* output_file = nullptr, const ChildLimits& limits = {},
                      const std::string* input_file = nullptr);

}  // namespace glyph::family
