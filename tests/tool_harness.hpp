// Runs a tool in-process on a font held in a string.
#pragma once

#include <cstdlib>
#include <sstream>
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

// Runs `tool` with `args` and `input` as its standard input, COLUMNS set to
// `columns` (unset when null) for the run. A `read_errno` other than 0 makes
// the input fail after its last byte.
inline RunResult run_tool_on(ToolEntry tool, const std::string& input,
                             std::vector<std::string> args = {}, const char* columns = nullptr,
                             int read_errno = 0) {
    const char* old = std::getenv("COLUMNS");
    const std::string saved = old ? old : "";
    columns ? setenv("COLUMNS", columns, 1) : unsetenv("COLUMNS");
    MemorySource in(input, read_errno);
    StringSink out, err;
    RunResult r;
    r.status = tool(args, in, out, err);
    r.out = out.text();
    r.err = err.text();
    old ? setenv("COLUMNS", saved.c_str(), 1) : unsetenv("COLUMNS");
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

// The lines of a text, without their line ends.
inline std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

}  // namespace glyph::test
