#include "otb_dates.hpp"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace glyph::family {
namespace {

// Seconds from 1904-01-01, where sfnt dates count from, to 1970-01-01.
constexpr std::int64_t SFNT_EPOCH_OFFSET = 2082844800;
constexpr std::size_t HEAD_SIZE = 54;
constexpr std::size_t CHECKSUM_ADJUSTMENT = 8, CREATED = 20, MODIFIED = 28;

std::uint32_t get32(const std::string& s, std::size_t at) {
    const auto byte = [&](std::size_t i) {
        return std::uint32_t{static_cast<unsigned char>(s[i])};
    };
    return byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3);
}

void put32(std::string& s, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        s[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (24 - 8 * i));
}

// The sum of the big-endian words of [at, at + size), the last one padded
// with zeros.
std::uint32_t checksum(const std::string& s, std::size_t at, std::size_t size) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < size; i += 4) {
        std::uint32_t word = 0;
        for (std::size_t k = 0; k < 4; ++k)
            word = word << 8 | (i + k < size ? static_cast<unsigned char>(s[at + i + k]) : 0u);
        sum += word;
    }
    return sum;
}

}  // namespace

bool set_head_dates(std::string& font, std::int64_t unix_seconds) {
    if (font.size() < 12) return false;
    const std::size_t tables = get32(font, 4) >> 16;
    if (font.size() < 12 + 16 * tables) return false;
    for (std::size_t entry = 12; entry < 12 + 16 * tables; entry += 16) {
        if (font.compare(entry, 4, "head") != 0) continue;
        const std::size_t at = get32(font, entry + 8), size = get32(font, entry + 12);
        if (size < HEAD_SIZE || at > font.size() || font.size() - at < size) return false;
        const auto date = static_cast<std::uint64_t>(unix_seconds + SFNT_EPOCH_OFFSET);
        for (const std::size_t field : {CREATED, MODIFIED}) {
            put32(font, at + field, static_cast<std::uint32_t>(date >> 32));
            put32(font, at + field + 4, static_cast<std::uint32_t>(date));
        }
        // The head table's own checksum is taken with the adjustment at 0.
        put32(font, at + CHECKSUM_ADJUSTMENT, 0);
        put32(font, entry + 4, checksum(font, at, size));
        put32(font, at + CHECKSUM_ADJUSTMENT, 0xB1B0AFBAu - checksum(font, 0, font.size()));
        return true;
    }
    return false;
}

std::string set_file_head_dates(const std::string& path, std::int64_t unix_seconds) {
    std::string font;
    {
        std::ifstream in(path, std::ios::binary);
        if (!in) return path + ": " + std::strerror(errno);
        font.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad()) return path + ": cannot be read";
    }
    if (!set_head_dates(font, unix_seconds)) return path + ": no head table to date";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(font.data(), static_cast<std::streamsize>(font.size()));
    out.close();
    if (!out) return path + ": cannot be written";
    return {};
}

}  // namespace glyph::family
