#include "advance_hold.hpp"

#include <cstring>
#include <limits>

#include "text_scan.hpp"

namespace glyph {

bool read_width_line(std::string_view line, std::string_view keyword, WidthLine& out) {
    if (line.size() >= 2 && line.substr(line.size() - 2) == "\r\n")
        out.line_end = line.substr(line.size() - 2);
    else if (!line.empty() && line.back() == '\n')
        out.line_end = line.substr(line.size() - 1);
    else
        out.line_end = {};
    // After the keyword comes white space, a NUL byte or the end: a NUL byte
    // stops the first number.
    FieldScanner fields(line.substr(keyword.size()));
    return fields.exact_int32(out.first) && fields.exact_int32(out.second) &&
           fields.only_space_left();
}

bool scaled_swidth(std::int32_t s, std::int32_t x, std::int32_t& out) {
    // |s| (x + 1) < 2^62 and twice the remainder < 2^32: exact in 64 bits.
    const std::uint64_t magnitude =
        s < 0 ? 0 - static_cast<std::uint64_t>(s) : static_cast<std::uint64_t>(s);
    const std::uint64_t divisor = static_cast<std::uint64_t>(x);
    const std::uint64_t product = magnitude * (divisor + 1);
    std::uint64_t rounded = product / divisor;
    if (2 * (product % divisor) >= divisor) ++rounded;
    const std::uint64_t limit = s < 0 ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1;
    if (rounded > limit) return false;
    out = static_cast<std::int32_t>(s < 0 ? -static_cast<std::int64_t>(rounded)
                                          : static_cast<std::int64_t>(rounded));
    return true;
}

namespace {

std::uint64_t load8(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    return word;
}

// Short lines compared without a call: a line of 8 to 16 bytes as two words
// that may overlap, the known lines' 64 bytes at most word by word.
bool same_bytes(const char* a, const char* b, std::size_t n) {
    if (n >= 8 && n <= 16) return load8(a) == load8(b) && load8(a + n - 8) == load8(b + n - 8);
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8)
        if (load8(a + i) != load8(b + i)) return false;
    for (; i < n; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

// 0x80 in each byte of x that is 0, and 0 in every other byte.
std::uint64_t zero_bytes(std::uint64_t x) {
    constexpr std::uint64_t low7 = 0x7f7f7f7f7f7f7f7fu;
    return ~(((x & low7) + low7) | x | low7);
}

}  // namespace

bool AdvanceHold::has_ink(ByteSink& out, std::size_t to) const {
    const char* const held = out.held();
    std::size_t i = rows_from_;
    // Eight bytes at a time: each a '0' or a newline.
    constexpr std::uint64_t zeros = 0x3030303030303030u, newlines = 0x0a0a0a0a0a0a0a0au;
    for (; i + 8 <= to; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, held + i, 8);
        if ((zero_bytes(word ^ zeros) | zero_bytes(word ^ newlines)) != 0x8080808080808080u)
            return true;
    }
    for (; i < to; ++i)
        if (held[i] != '0' && held[i] != '\n') return true;
    return false;
}

void AdvanceHold::finish(ByteSink& out) {
    if (rows_open_ && !ink_) ink_ = has_ink(out, out.held_size());
    if (ink_ && marks_held_ > 0) widen_advance(out);
    out.release();
    holding_ = false;
}

namespace {

// An advance that can grow by one within signed 32 bits.
constexpr std::int32_t ADVANCE_LIMIT = std::numeric_limits<std::int32_t>::max();

bool is_advance(const WidthLine& fields) {
    return fields.first > 0 && fields.first < ADVANCE_LIMIT;
}

std::string_view keyword_text(AdvanceKeyword keyword) {
    return keyword == AdvanceKeyword::dwidth ? "DWIDTH" : "SWIDTH";
}

// "KEYWORD first second" and the line end, into `buffer`.
std::string_view width_line_text(char (&buffer)[64], AdvanceKeyword keyword, std::int64_t first,
                                 std::int64_t second, std::string_view line_end) {
    const std::string_view name = keyword_text(keyword);
    char* p = buffer;
    for (const char c : name)
        *p++ = c;
    *p++ = ' ';
    p = put_decimal(p, first);
    *p++ = ' ';
    p = put_decimal(p, second);
    for (const char c : line_end)
        *p++ = c;
    return {buffer, static_cast<std::size_t>(p - buffer)};
}

}  // namespace

AdvanceHold::KnownLine& AdvanceHold::known(ByteSink& out, const Mark& mark) {
    KnownLine& k = known_[mark.keyword == AdvanceKeyword::dwidth ? 0 : 1];
    const char* line = out.held() + mark.at;
    if (mark.size == k.size && same_bytes(line, k.line, mark.size)) return k;
    k.size = 0;
    k.written_size = 0;
    if (mark.size > sizeof k.line) {  // read in place, and not kept
        k.readable = read_width_line({line, mark.size}, keyword_text(mark.keyword), k.fields);
        return k;
    }
    std::memcpy(k.line, line, mark.size);
    k.size = mark.size;
    k.readable = read_width_line({k.line, mark.size}, keyword_text(mark.keyword), k.fields);
    return k;
}

// Lines of 8 to 16 bytes as two words that may overlap.
bool PairLines::same(const char* a, const char* b, std::size_t n) {
    return load8(a) == load8(b) && load8(a + n - 8) == load8(b + n - 8);
}

void PairLines::copy(char* to, const char* from, std::size_t n) {
    const std::uint64_t head = load8(from), tail = load8(from + n - 8);
    std::memcpy(to, &head, 8);
    std::memcpy(to + n - 8, &tail, 8);
}

PairLines PairLines::read(const char* held, const Mark& d, const Mark& s) {
    PairLines lines;
    if (d.size < 8 || d.size > 16 || s.size < 8 || s.size > 16) return lines;
    copy(lines.dwidth_in, held + d.at, d.size);
    copy(lines.swidth_in, held + s.at, s.size);
    lines.dwidth_size = d.size;
    lines.swidth_size = s.size;
    return lines;
}

void PairLines::keep_written(const char* held, const Mark& d, const Mark& s) {
    // Only lines written as long as they were read: the offsets stay.
    if (dwidth_size == 0 || written_size_of(d) != d.size || written_size_of(s) != s.size) {
        dwidth_size = 0;
        return;
    }
    copy(dwidth_out, held + d.at, d.size);
    copy(swidth_out, held + s.at, s.size);
}

bool PairLines::take(char* held, const Mark& d, const Mark& s) const {
    if (dwidth_size == 0 || d.size != dwidth_size || s.size != swidth_size ||
        !same(held + d.at, dwidth_in, d.size) || !same(held + s.at, swidth_in, s.size))
        return false;
    copy(held + d.at, dwidth_out, d.size);
    copy(held + s.at, swidth_out, s.size);
    return true;
}

void AdvanceHold::rewrite(ByteSink& out, Mark& mark, KnownLine& k, std::int32_t advance) {
    const bool dwidth = mark.keyword == AdvanceKeyword::dwidth;
    if (k.written_size == 0 || (!dwidth && k.advance != advance)) {
        std::int64_t first = k.fields.first;
        if (dwidth) {
            if (!is_advance(k.fields)) return;
            ++first;
        } else {
            std::int32_t scaled;
            if (!scaled_swidth(k.fields.first, advance, scaled)) return;
            first = scaled;
        }
        const std::string_view text =
            width_line_text(k.written, mark.keyword, first, k.fields.second, k.fields.line_end);
        // Kept only for a line that is kept itself.
        k.written_size = k.size != 0 ? text.size() : 0;
        k.advance = advance;
        mark.written = text.size();
        out.replace_held(mark.at, mark.size, text);
        return;
    }
    mark.written = k.written_size;
    out.replace_held(mark.at, mark.size, {k.written, k.written_size});
}

void AdvanceHold::widen_advance(ByteSink& out) {
    // Most glyphs have one line of each keyword, each read once.
    if (marks_held_ == 2 && marks_[0].keyword != marks_[1].keyword) {
        const bool dwidth_first = marks_[0].keyword == AdvanceKeyword::dwidth;
        Mark& d = marks_[dwidth_first ? 0 : 1];
        Mark& s = marks_[dwidth_first ? 1 : 0];
        if (pair_.take(out.held(), d, s)) return;
        KnownLine& kd = known(out, d);
        KnownLine& ks = known(out, s);
        if (!kd.readable || !is_advance(kd.fields)) return;
        const std::int32_t advance = kd.fields.first;
        const PairLines before = PairLines::read(out.held(), d, s);
        // The later line first, so that the earlier one's offset stays right.
        if (ks.readable && s.at > d.at) rewrite(out, s, ks, advance);
        rewrite(out, d, kd, advance);
        if (ks.readable && s.at < d.at) rewrite(out, s, ks, advance);
        pair_ = before;
        pair_.keep_written(out.held(), d, s);
        return;
    }
    // The advance first: a SWIDTH line may come before the DWIDTH line.
    std::int32_t advance = 0;
    for (std::size_t i = marks_held_; i-- > 0 && advance == 0;) {
        if (marks_[i].keyword != AdvanceKeyword::dwidth) continue;
        const KnownLine& k = known(out, marks_[i]);
        if (k.readable && is_advance(k.fields)) advance = k.fields.first;
    }
    if (advance == 0) return;
    // From the last line back, so that a line that changes its length
    // leaves the offsets of the lines before it as they are.
    for (std::size_t i = marks_held_; i-- > 0;) {
        KnownLine& k = known(out, marks_[i]);
        if (k.readable) rewrite(out, marks_[i], k, advance);
    }
}

}  // namespace glyph
