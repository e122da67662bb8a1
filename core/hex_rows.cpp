#include "hex_rows.hpp"

#include <cstring>

namespace glyph {

std::uint64_t read_hex_word_any(const char* text, std::size_t n) {
    std::uint64_t word = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t value = HEX_NIBBLE[static_cast<unsigned char>(text[i])];
        if (value & NUL_FLAG) break;
        word |= std::uint64_t{value & 0xfu} << (60 - 4 * i);
    }
    return word;
}

void read_hex_row(const char* text, std::size_t size, std::size_t digits, std::uint64_t* words) {
    const void* nul = std::memchr(text, '\0', digits < size ? digits : size);
    if (nul) size = static_cast<std::size_t>(static_cast<const char*>(nul) - text);
    for (std::size_t k = 0; digits > 0; ++k) {
        const std::size_t take = digits < 16 ? digits : 16;
        words[k] = read_hex_word_any(text, take < size ? take : size);
        const std::size_t used = take < size ? take : size;
        text += used;
        size -= used;
        digits -= take;
    }
}

void put_wide_hex_row(ByteSink& sink, const std::uint64_t* words, std::size_t bytes,
                      HexCase hex_case) {
    // Eight bytes a word, in chunks that fit the sink's buffer.
    const std::size_t per_chunk = sink.buffer_capacity() / 16;
    for (std::size_t k = 0; bytes > 0;) {
        std::size_t chunk_words = words_for_bytes(bytes);
        if (chunk_words > per_chunk) chunk_words = per_chunk;
        const std::size_t chunk = chunk_words * 8 < bytes ? chunk_words * 8 : bytes;
        char* p = sink.reserve(2 * chunk);
        for (std::size_t i = 0; i < chunk; i += 8, ++k)
            put_hex_bytes(p + 2 * i, words[k], chunk - i < 8 ? chunk - i : 8, hex_case);
        sink.commit(2 * chunk);
        bytes -= chunk;
    }
    sink.put('\n');
}

}  // namespace glyph
