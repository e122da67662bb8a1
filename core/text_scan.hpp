// Reading tokens and decimal numbers out of a line, the way the C library's
// formatted input reads them in the POSIX locale, but with every result defined:
// no overflow is undefined and a NUL byte ends the text.
#pragma once

#include <cstdint>
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
    explicit FieldScanner(std::string_view text) : text_(text) {}

    // Skips a token of at most max_len non-space characters; false if none.
    bool skip_token(std::size_t max_len = std::string_view::npos);
    // The token itself (at most max_len characters).
    bool token(std::string_view& out, std::size_t max_len = std::string_view::npos);
    bool unsigned_field(UnsignedField& out);
    // A signed 32-bit field: a value beyond the range of a 64-bit long is
    // clamped to it, then the low 32 bits are kept, as the C library does.
    bool signed_field(std::int32_t& out);

  private:
    void skip_space();
    // Sign and digits at the cursor: magnitude saturated at 2^64 - 1.
    bool digits(bool& negative, std::uint64_t& magnitude, bool& overflow);

    std::string_view text_;
    std::size_t pos_ = 0;
};

// The leading decimal integer of a text as the C library's atoi reads it
// (blanks, an optional sign, digits; 0 without digits), saturated to the
// signed 32-bit range instead of wrapping.
std::int32_t leading_int32(std::string_view text);

}  // namespace glyph
