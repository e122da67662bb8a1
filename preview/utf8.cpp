#include "utf8.hpp"

namespace glyph {
namespace {

bool is_continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

}  // namespace

std::u32string decode_utf8(std::string_view bytes) {
    std::u32string text;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i++]);
        if (lead < 0x80) {
            text += static_cast<char32_t>(lead);
            continue;
        }
        int length;
        char32_t value;
        // The range the second byte must fall in rules out overlong forms,
        // surrogates and values past U+10FFFF at the earliest byte.
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            value = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            value = lead & 0x0F;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            value = lead & 0x07;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            text += REPLACEMENT_CHARACTER;
            continue;
        }
        int taken = 1;
        for (; taken < length && i < bytes.size(); ++taken, ++i) {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            if (!is_continuation(byte) || (taken == 1 && (byte < low || byte > high))) break;
            value = (value << 6) | (byte & 0x3F);
        }
        text += taken == length ? value : REPLACEMENT_CHARACTER;
    }
    return text;
}

}  // namespace glyph
