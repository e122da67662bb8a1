#include "advance_hold.hpp"

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

void AdvanceHold::mark(AdvanceKeyword keyword, std::size_t at, std::size_t size) {
    if (marks_held_ == marks_.capacity()) marks_.reserve(marks_held_ + 4);
    marks_[marks_held_++] = {at, size, keyword};
}

bool AdvanceHold::has_ink(ByteSink& out, std::size_t to) const {
    const char* const held = out.held();
    for (std::size_t i = rows_from_; i < to; ++i)
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

void AdvanceHold::widen_advance(ByteSink& out) {
    const auto read = [&out](const Mark& mark, WidthLine& fields) {
        return read_width_line({out.held() + mark.at, mark.size}, keyword_text(mark.keyword),
                               fields);
    };
    const auto is_advance = [](const WidthLine& fields) {
        return fields.first > 0 && fields.first < ADVANCE_LIMIT;
    };
    std::int32_t advance = 0;
    for (std::size_t i = marks_held_; i-- > 0 && advance == 0;) {
        WidthLine fields;
        if (marks_[i].keyword == AdvanceKeyword::dwidth && read(marks_[i], fields) &&
            is_advance(fields))
            advance = fields.first;
    }
    if (advance == 0) return;
    // From the last line back, so that a line that changes its length
    // leaves the offsets of the lines before it as they are.
    char buffer[64];
    for (std::size_t i = marks_held_; i-- > 0;) {
        const Mark& mark = marks_[i];
        WidthLine fields;
        if (!read(mark, fields)) continue;
        std::int64_t first = fields.first;
        if (mark.keyword == AdvanceKeyword::dwidth) {
            if (!is_advance(fields)) continue;
            ++first;
        } else {
            std::int32_t scaled;
            if (!scaled_swidth(fields.first, advance, scaled)) continue;
            first = scaled;
        }
        out.replace_held(
            mark.at, mark.size,
            width_line_text(buffer, mark.keyword, first, fields.second, fields.line_end));
    }
}

}  // namespace glyph
