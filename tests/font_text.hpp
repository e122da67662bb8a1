// Small fonts written as text for the tool tests, and checks of a whole run.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "memory.hpp"
#include "tool_harness.hpp"

namespace glyph::test {

// The global section of a test font named for `weight` and `slant`.
inline std::string font_header(const std::string& box, const std::string& chars = "1",
                               const std::string& weight = "Medium",
                               const std::string& slant = "R") {
    return "STARTFONT 2.1\nFONT -Sample-Mono-" + weight + "-" + slant +
           "-Normal--16-150-75-75-C-80-ISO8859-1\nFONTBOUNDINGBOX " + box +
           "\nSTARTPROPERTIES 2\nWEIGHT_NAME \"" + weight + "\"\nSLANT \"" + slant +
           "\"\nENDPROPERTIES\nCHARS " + chars + "\n";
}

// The lines of a test glyph before its BBX line.
inline const std::string GLYPH_START = "STARTCHAR g\nENCODING 65\nSWIDTH 500 0\nDWIDTH 8 0\n";

// One glyph: `bbx` is the BBX line without its line end (none when empty),
// `rows` the bitmap rows separated by blanks.
inline std::string glyph(const std::string& bbx, const std::string& rows) {
    std::string text = GLYPH_START;
    if (!bbx.empty()) text += bbx + "\n";
    text += "BITMAP\n";
    std::istringstream split(rows);
    for (std::string row; split >> row;)
        text += row + "\n";
    return text + "ENDCHAR\n";
}

// `count` copies of `row`, separated by blanks.
inline std::string times(int count, const std::string& row) {
    std::string rows;
    for (int i = 0; i < count; ++i)
        rows += row + " ";
    return rows;
}

inline void expect_run(const RunResult& r, int status, const std::string& out,
                       const std::string& err) {
    EXPECT_EQ(r.status, status);
    EXPECT_EQ(r.out, out);
    EXPECT_EQ(r.err, err);
}

inline std::string read_file(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string crlf(const std::string& text) {
    std::string out;
    for (char c : text)
        c == '\n' ? out += "\r\n" : out += c;
    return out;
}

// Caps every allocation for the lifetime of the object.
struct AllocationLimit {
    explicit AllocationLimit(std::size_t bytes) { set_allocation_limit(bytes); }
    ~AllocationLimit() { set_allocation_limit(0); }
};

}  // namespace glyph::test
