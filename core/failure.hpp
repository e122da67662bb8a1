// The fatal conditions of a run. Library code throws these; each tool's entry
// function turns them into the one message and the exit status of the run.
#pragma once

#include <stdexcept>
#include <string>

namespace glyph {

// Memory could not be had for a buffer the run needs.
struct MemoryExhausted : std::exception {
    const char* what() const noexcept override { return "FATAL: Memory exhausted"; }
};

// Reading the input or writing the output failed; `error` is the errno value.
struct IoFailure : std::exception {
    enum class Kind { read, write };
    IoFailure(Kind k, int e) : kind(k), error(e) {}
    Kind kind;
    int error;
    const char* what() const noexcept override { return "I/O failure"; }
};

// A line of the font that the run cannot go on from. The line is kept as read,
// its own line end included, for the message.
struct BadLine : std::exception {
    enum class Kind { bounding_box, glyph_count };
    BadLine(Kind k, std::string l) : kind(k), line(std::move(l)) {}
    Kind kind;
    std::string line;
    const char* what() const noexcept override { return "bad line"; }
};

}  // namespace glyph
