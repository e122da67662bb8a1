#include "bold_words.hpp"

#include "hex_digits.hpp"

namespace glyph {

void embolden_words(const std::uint64_t* in, std::uint64_t* out, std::size_t count, BoldRule rule) {
    for (std::size_t k = 0; k < count; ++k)
        out[k] = embolden_word(in[k], k > 0 ? in[k - 1] : 0, k + 1 < count ? in[k + 1] : 0, rule);
}

void write_wide_bold_words(ByteSink& sink, const std::uint64_t* words, std::size_t bytes,
                           BoldRule rule, PodArray<std::uint64_t>& scratch) {
    const std::size_t count = words_for_bytes(bytes);
    scratch.reserve(count);
    embolden_words(words, scratch.data(), count, rule);
    put_hex_row(sink, scratch.data(), bytes, HexCase::lower);
}

void write_wide_bold_row(ByteSink& sink, const char* text, std::size_t size, std::size_t bytes,
                         BoldRule rule, PodArray<std::uint64_t>& scratch) {
    // The row read and its bold form share one block, the row in the first half.
    const std::size_t count = words_for_bytes(bytes);
    scratch.reserve(checked_size(count, 2));
    read_hex_row(text, size, 2 * bytes, scratch.data());
    embolden_words(scratch.data(), scratch.data() + count, count, rule);
    put_hex_row(sink, scratch.data() + count, bytes, HexCase::lower);
}

}  // namespace glyph
