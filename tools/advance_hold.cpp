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

// Short lines compared without a call.
bool same_bytes(const char* a, const char* b, std::size_t n) {
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t x, y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y) return false;
    }
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

void AdvanceHold::widen_advance(ByteSink& out) {
    const auto is_advance = [](const WidthLine& fields) {
        return fields.first > 0 && fields.first < ADVANCE_LIMIT;
    };
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
        const Mark& mark = marks_[i];
        KnownLine& k = known(out, mark);
        if (!k.readable) continue;
        const bool dwidth = mark.keyword == AdvanceKeyword::dwidth;
        if (k.written_size == 0 || (!dwidth && k.advance != advance)) {
            std::int64_t first = k.fields.first;
            if (dwidth) {
                if (!is_advance(k.fields)) continue;
                ++first;
            } else {
                std::int32_t scaled;
                if (!scaled_swidth(k.fields.first, advance, scaled)) continue;
                first = scaled;
            }
            const std::string_view text =
                width_line_text(k.written, mark.keyword, first, k.fields.second, k.fields.line_end);
            // Kept only for a line that is kept itself.
            k.written_size = k.size != 0 ? text.size() : 0;
            k.advance = advance;
            out.replace_held(mark.at, mark.size, text);
            continue;
        }
        out.replace_held(mark.at, mark.size, {k.written, k.written_size});
    }
}

}  // namespace glyph
