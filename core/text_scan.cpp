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

void FieldScanner::skip_space() {
    while (pos_ < text_.size() && is_space(text_[pos_]))
        ++pos_;
}

bool FieldScanner::token(std::string_view& out, std::size_t max_len) {
    skip_space();
    std::size_t start = pos_;
    while (pos_ < text_.size() && !is_space(text_[pos_]) && pos_ - start < max_len)
        ++pos_;
    out = text_.substr(start, pos_ - start);
    return pos_ > start;
}

bool FieldScanner::skip_token(std::size_t max_len) {
    std::string_view ignored;
    return token(ignored, max_len);
}

bool FieldScanner::digits(bool& negative, std::uint64_t& magnitude, bool& overflow) {
    skip_space();
    std::size_t p = pos_;
    negative = false;
    if (p < text_.size() && (text_[p] == '+' || text_[p] == '-')) negative = text_[p++] == '-';
    if (p >= text_.size() || !is_digit(text_[p])) return false;
    magnitude = 0;
    overflow = false;
    for (; p < text_.size() && is_digit(text_[p]); ++p) {
        std::uint64_t digit = static_cast<std::uint64_t>(text_[p] - '0');
        if (magnitude > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) {
            overflow = true;
            magnitude = std::numeric_limits<std::uint64_t>::max();
        } else if (!overflow) {
            magnitude = magnitude * 10 + digit;
        }
    }
    pos_ = p;
    return true;
}

bool FieldScanner::unsigned_field(UnsignedField& out) {
    bool negative = false, overflow = false;
    std::uint64_t magnitude = 0;
    if (!digits(negative, magnitude, overflow)) return false;
    std::uint64_t wrapped = negative ? (0 - magnitude) : magnitude;
    out.value = static_cast<std::uint32_t>(wrapped);
    out.oversized = magnitude > 0x7fffffffu || (negative && magnitude != 0);
    return true;
}

bool FieldScanner::signed_field(std::int32_t& out) {
    bool negative = false, overflow = false;
    std::uint64_t magnitude = 0;
    if (!digits(negative, magnitude, overflow)) return false;
    constexpr std::uint64_t long_max = std::numeric_limits<std::int64_t>::max();
    std::uint64_t as_long;  // the 64-bit long's bit pattern
    if (!negative) {
        as_long = magnitude > long_max ? long_max : magnitude;
    } else {
        as_long = magnitude > long_max + 1 ? long_max + 1 : 0 - magnitude;
    }
    out = static_cast<std::int32_t>(static_cast<std::uint32_t>(as_long));
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
