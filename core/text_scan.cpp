#include "text_scan.hpp"

#include <limits>

namespace glyph {

std::string_view line_keyword(std::string_view text) {
    if (text.empty() || !is_ascii_letter(text[0])) return {};
    std::size_t end = 1;
    while (end < text.size() && !is_space(text[end]))
        ++end;
    return text.substr(0, end);
}

std::uint64_t FieldScanner::long_digits(const char*& p, std::uint64_t m) const {
    constexpr std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    bool overflow = false;
    for (; p < end_ && is_digit(*p); ++p) {
        const std::uint64_t digit = static_cast<std::uint64_t>(*p - '0');
        if (overflow) continue;
        if (m > max / 10 || (m == max / 10 && digit > max % 10)) {
            overflow = true;
            m = max;
        } else {
            m = m * 10 + digit;
        }
    }
    return m;
}

bool FieldScanner::exact_int32(std::int32_t& out) {
    skip_space();
    const char* p = p_;
    const bool negative = p < end_ && *p == '-';
    if (negative) ++p;
    if (p >= end_ || !is_digit(*p)) return false;
    constexpr std::int64_t limit = std::int64_t{1} << 31;
    std::int64_t magnitude = 0;
    for (; p < end_ && is_digit(*p); ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > limit) magnitude = limit + 1;  // out of range, however long
    }
    if (p < end_ && !is_space(*p)) return false;
    if (magnitude > (negative ? limit : limit - 1)) return false;
    out = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    p_ = p;
    return true;
}

std::int32_t leading_int32(std::string_view text) {
    std::size_t p = 0;
    while (p < text.size() && is_space(text[p]))
        ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
    std::int64_t value = 0;
    constexpr std::int64_t cap = std::int64_t{1} << 32;
    for (; p < text.size() && is_digit(text[p]); ++p) {
        value = value * 10 + (text[p] - '0');
        if (value > cap) value = cap;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

}  // namespace glyph
