// Reading tokens and decimal numbers out of a line, the way the C library's
// formatted input reads them in the POSIX locale, but with every result defined:
// no overflow is undefined and a NUL byte ends the text.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace glyph {

// The POSIX locale's white space: blank, tab, newline, vertical tab, form feed, return.
constexpr bool is_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
constexpr bool is_ascii_letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
constexpr bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
constexpr char to_lower_ascii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c;
}

// A line's keyword: its first white-space-delimited token when the line starts
// with an ASCII letter, else the empty view. `text` is the line as a C string.
std::string_view line_keyword(std::string_view text);

// A number read as an unsigned 32-bit conversion reads it: optional sign, then
// digits, the value wrapped to 32 bits (a minus sign negates modulo 2^32).
// `oversized` tells whether the number as written lies above 2147483647, a
// negative number other than zero included.
struct UnsignedField {
    std::uint32_t value = 0;
    bool oversized = false;
};

// Moves through a text field by field; every scan skips leading white space.
class FieldScanner {
  public:
    explicit FieldScanner(std::string_view text)
        : p_(text.data()), end_(text.data() + text.size()) {}

    // Skips a token of at most max_len non-space characters; false if none.
    bool skip_token(std::size_t max_len = std::string_view::npos) {
        std::string_view ignored;
        return token(ignored, max_len);
    }
    // The token itself (at most max_len characters).
    bool token(std::string_view& out, std::size_t max_len = std::string_view::npos) {
        skip_space();
        const char* const start = p_;
        const char* const limit =
            static_cast<std::size_t>(end_ - p_) > max_len ? p_ + max_len : end_;
        while (p_ < limit && !is_space(*p_))
            ++p_;
        out = {start, static_cast<std::size_t>(p_ - start)};
        return p_ > start;
    }
    bool unsigned_field(UnsignedField& out) {
        bool negative = false;
        std::uint64_t magnitude = 0;
        if (!digits(negative, magnitude)) return false;
        const std::uint64_t wrapped = negative ? (0 - magnitude) : magnitude;
        out.value = static_cast<std::uint32_t>(wrapped);
        out.oversized = magnitude > 0x7fffffffu || (negative && magnitude != 0);
        return true;
    }
    // A signed 32-bit field: a value beyond the range of a 64-bit long is
    // clamped to it, then the low 32 bits are kept, as the C library does.
    bool signed_field(std::int32_t& out) {
        bool negative = false;
        std::uint64_t magnitude = 0;
        if (!digits(negative, magnitude)) return false;
        constexpr std::uint64_t long_max = 0x7fffffffffffffffu;
        std::uint64_t as_long;  // the 64-bit long's bit pattern
        if (!negative)
            as_long = magnitude > long_max ? long_max : magnitude;
        else
            as_long = magnitude > long_max + 1 ? long_max + 1 : 0 - magnitude;
        out = static_cast<std::int32_t>(static_cast<std::uint32_t>(as_long));
        return true;
    }

    // A number written as an optional minus and digits, nothing else up to
    // the next white space or the end, whose value lies within signed 32 bits.
    bool exact_int32(std::int32_t& out);
    // Whether nothing but white space is left.
    bool only_space_left() {
        skip_space();
        return p_ == end_;
    }

  private:
    void skip_space() {
        while (p_ < end_ && is_space(*p_))
            ++p_;
    }
    // Sign and digits at the cursor: magnitude saturated at 2^64 - 1.
    bool digits(bool& negative, std::uint64_t& magnitude) {
        skip_space();
        const char* p = p_;
        negative = false;
        if (p < end_ && (*p == '+' || *p == '-')) negative = *p++ == '-';
        if (p >= end_ || !is_digit(*p)) return false;
        // Nineteen digits never overflow 64 bits; only longer numbers are checked.
        const char* const sure = end_ - p > 19 ? p + 19 : end_;
        std::uint64_t m = 0;
        for (; p < sure && is_digit(*p); ++p)
            m = m * 10 + static_cast<std::uint64_t>(*p - '0');
        if (p < end_ && is_digit(*p)) m = long_digits(p, m);
        magnitude = m;
        p_ = p;
        return true;
    }
    // The digits of a number past its nineteenth, saturating.
    std::uint64_t long_digits(const char*& p, std::uint64_t m) const;

    const char* p_;
    const char* end_;
};

// Writes `value` in decimal (a minus sign for a negative one) and returns
// the end of what it wrote.
inline char* put_decimal(char* dst, std::int64_t value) {
    std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    if (value < 0) *dst++ = '-';
    if (magnitude < 10) {  // the offsets and many sizes of a font
        *dst++ = static_cast<char>('0' + magnitude);
        return dst;
    }
    char digits[20];
    std::size_t n = 0;
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (n > 0)
        *dst++ = digits[--n];
    return dst;
}

// The leading decimal integer of a text as the C library's atoi reads it
// (blanks, an optional sign, digits; 0 without digits), saturated to the
// signed 32-bit range instead of wrapping.
std::int32_t leading_int32(std::string_view text);

// A command-line count from 1 to `max` in decimal digits only: a sign, a
// space or a fraction is a mistake worth reporting rather than guessing at.
inline std::optional<std::size_t> parse_count(std::string_view text, std::size_t max) {
    if (text.empty()) return std::nullopt;
    std::size_t value = 0;
    for (char c : text) {
        if (!is_digit(c)) return std::nullopt;
        value = value * 10 + static_cast<std::size_t>(c - '0');
        if (value > max) return std::nullopt;
    }
    if (value < 1) return std::nullopt;
    return value;
}

}  // namespace glyph
