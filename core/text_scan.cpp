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
