// Runs a tool in-process on a font held in a string.
#pragma once

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "byte_io.hpp"
#include "tools.hpp"

namespace glyph::test {

struct RunResult {
    int status = 0;
    std::string out;
    std::string err;
};

using ToolEntry = int (*)(std::span<const std::string>, ByteSource&, ByteSink&, ByteSink&);

// Runs `tool` with `args` and `input` as its standard input. A `read_errno`
// other than 0 makes the input fail after its last byte.
inline RunResult run_tool_on(ToolEntry tool, const std::string& input,
                             std::vector<std::string> args = {}, int read_errno = 0) {
    MemorySource in(input, read_errno);
    StringSink out, err;
    RunResult r;
    r.status = tool(args, in, out, err);
    r.out = out.text();
    r.err = err.text();
    return r;
}

inline RunResult stout(const std::string& input, std::vector<std::string> args = {}) {
    return run_tool_on(run_glyphstout, input, std::move(args));
}
inline RunResult slope(const std::string& input, std::vector<std::string> args = {}) {
    return run_tool_on(run_glyphslope, input, std::move(args));
}
inline RunResult stoutslope(const std::string& input, std::vector<std::string> args = {}) {
    return run_tool_on(run_glyphstoutslope, input, std::move(args));
}

// Sets COLUMNS for the lifetime of the object (unset when `value` is null).
class ScopedColumns {
  public:
    explicit ScopedColumns(const char* value) {
        if (const char* old = std::getenv("COLUMNS")) saved_ = old, had_ = true;
        if (value)
            setenv("COLUMNS", value, 1);
        else
            unsetenv("COLUMNS");
    }
    ~ScopedColumns() {
        if (had_)
            setenv("COLUMNS", saved_.c_str(), 1);
        else
            unsetenv("COLUMNS");
    }

  private:
    std::string saved_;
    bool had_ = false;
};

}  // namespace glyph::test
