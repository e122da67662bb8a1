// -a: a glyph's output is held from its STARTCHAR line to its ENDCHAR line,
// so that its DWIDTH and SWIDTH lines, written before its rows, can still
// take one pixel more of advance once the rows show that the glyph has ink.
// The held bytes are the sink's own buffer, grown to the largest glyph once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "byte_io.hpp"
#include "glyph_keywords.hpp"
#include "line_reader.hpp"
#include "memory.hpp"

namespace glyph {

// The keywords a held glyph looks for besides the glyph section's own.
enum class AdvanceKeyword { none, startchar, dwidth, swidth };

inline bool may_be_advance_keyword(char first) {
    return first == 'S' || first == 'D';
}

inline AdvanceKeyword advance_keyword(const Line& line) {
    switch (line.data[0]) {
        case 'S':
            if (has_keyword(line, "STARTCHAR")) return AdvanceKeyword::startchar;
            return has_keyword(line, "SWIDTH") ? AdvanceKeyword::swidth : AdvanceKeyword::none;
        case 'D':
            return has_keyword(line, "DWIDTH") ? AdvanceKeyword::dwidth : AdvanceKeyword::none;
        default:
            return AdvanceKeyword::none;
    }
}

// What a DWIDTH or SWIDTH line reads as when it is the keyword, two decimal
// numbers (an optional minus and digits, each within signed 32 bits) and
// nothing else but white space.
struct WidthLine {
    std::int32_t first = 0, second = 0;
    std::string_view line_end;  // "\r\n", "\n" or empty, as the line ends
};
bool read_width_line(std::string_view line, std::string_view keyword, WidthLine& out);

// s × (x + 1) / x rounded to the nearest whole number, halves away from
// zero; false when that lies outside signed 32 bits. 0 < x < 2147483647.
bool scaled_swidth(std::int32_t s, std::int32_t x, std::int32_t& out);

struct AdvanceMark {
    std::size_t at, size;
    AdvanceKeyword keyword;
    std::size_t written = 0;  // the size written in its place, once rewritten
};

// A glyph's DWIDTH and SWIDTH lines (8 to 16 bytes each) as read and as
// written: the next glyph with the same two lines gets the same two lines,
// copied in place without reading them again. Empty until filled.
struct PairLines {
    using Mark = AdvanceMark;
    char dwidth_in[16], swidth_in[16], dwidth_out[16], swidth_out[16];
    std::size_t dwidth_size = 0, swidth_size = 0;

    static PairLines read(const char* held, const Mark& d, const Mark& s);
    void keep_written(const char* held, const Mark& d, const Mark& s);
    // Writes the kept lines in place of the glyph's when these are the lines
    // read; false, and nothing written, otherwise.
    bool take(char* held, const Mark& d, const Mark& s) const;

  private:
    static std::size_t written_size_of(const Mark& mark) { return mark.written; }
    static bool same(const char* a, const char* b, std::size_t n);
    static void copy(char* to, const char* from, std::size_t n);
};

// Offsets are into the held bytes. The caller tells where each line will lie
// there before it writes it; lines are written in order, so an offset stays
// right however the bytes reach the sink.
class AdvanceHold {
  public:
    bool holding() const { return holding_; }
    bool rows_open() const { return rows_open_; }

    // A STARTCHAR line, with everything before it written: a glyph held so
    // far goes out unchanged, and the new one is held from here.
    void start(ByteSink& out) {
        if (holding_) out.release();
        out.hold();
        holding_ = true;
        marks_held_ = 0;
        rows_open_ = false;
        ink_ = false;
    }
    // A DWIDTH or SWIDTH line before the glyph's BITMAP line.
    void mark(AdvanceKeyword keyword, std::size_t at, std::size_t size) {
        if (marks_held_ == marks_.capacity()) marks_.reserve(marks_held_ + 4);
        marks_[marks_held_++] = {at, size, keyword, 0};
    }
    // The glyph's rows begin at `at`, after its BITMAP line.
    void open_rows(std::size_t at) {
        rows_open_ = true;
        rows_from_ = at;
    }
    // A line among the rows that is no row (a BBX or BITMAP line) lies
    // from `from` to `to`.
    void skip_line(ByteSink& out, std::size_t from, std::size_t to) {
        if (!rows_open_ || ink_) return;
        ink_ = has_ink(out, from);
        rows_from_ = to;
    }
    // At ENDCHAR, with the glyph's rows written: the advance grows if the
    // glyph has ink, and the glyph goes out.
    void finish(ByteSink& out);
    // The end of the input: the glyph goes out unchanged.
    void release(ByteSink& out) {
        if (holding_) out.release();
        holding_ = false;
    }
    // A failed run: nothing of the glyph is written.
    void drop(ByteSink& out) {
        if (holding_) out.drop_held();
        holding_ = false;
    }

  private:
    using Mark = AdvanceMark;
    // A font repeats a few DWIDTH and SWIDTH lines over and over: the last
    // line of each keyword is kept with what it read as and was written as.
    struct KnownLine {
        char line[64];
        std::size_t size = 0;  // a line is never empty: 0 matches none
        bool readable = false;
        WidthLine fields;          // its line end in `line`
        std::int32_t advance = 0;  // the SWIDTH line's was written for this advance
        char written[64];
        std::size_t written_size = 0;  // 0: not written yet
    };
    // The line of `mark`, read, from the known line of its keyword.
    KnownLine& known(ByteSink& out, const Mark& mark);
    // Whether a row written from rows_from_ to `to` has a set pixel: the
    // rows are hex digits and newlines only.
    bool has_ink(ByteSink& out, std::size_t to) const;
    void widen_advance(ByteSink& out);
    // Writes the widened form of a readable line in place of `mark`.
    void rewrite(ByteSink& out, Mark& mark, KnownLine& k, std::int32_t advance);

    bool holding_ = false;
    bool rows_open_ = false;
    bool ink_ = false;
    std::size_t rows_from_ = 0;
    PodArray<Mark> marks_;
    std::size_t marks_held_ = 0;
    KnownLine known_[2];  // DWIDTH, SWIDTH
    PairLines pair_;
};

}  // namespace glyph
