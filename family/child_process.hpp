// Running the converters: found on PATH and started without a shell, so that
// file names with blanks or quotes reach them as they are.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace glyph::family {

// The first executable file named `program` in the folders of `path` (a
// PATH value; an empty entry is the current folder), or nothing.
std::optional<std::string> find_on_path(const std::string& program, const char* path);

struct ChildResult {
    bool ok = false;       // started and exited with status 0
    std::string messages;  // what it wrote to standard error (and output, unless redirected)
};

// Runs `executable` with `argv` (argv[0] included), standard input from
// /dev/null and standard output into `output_file` when one is given.
// Messages of a failure to start are in `messages` too.
ChildResult run_child(const std::string& executable, const std::vector<std::string>& argv,
                      const std::string* output_file = nullptr);

}  // namespace glyph::family
