#include "charset_map.hpp"

#include <mutex>
#include <string>

extern "C" {
#include <X11/fonts/fontenc.h>
}

namespace glyph::family {
namespace {

// libfontenc loads an encoding's file on first use into lists of its own,
// which it keeps for the life of the process; they are not safe to grow from
// two threads at once.
std::mutex& fontenc_lock() {
    static std::mutex lock;
    return lock;
}

bool same_ascii_nocase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool is_scalar_value(std::uint64_t code) {
    return code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
}

// Whether `code` lies in the encoding's table: a byte below its size, or for
// a charset of rows (JIS X 0208, KS C 5601: row * 256 + column) a row and a
// column within their ranges.
bool in_encoding(const FontEncRec& encoding, std::int64_t code) {
    if (encoding.row_size == 0) return code >= encoding.first && code < encoding.size;
    const std::int64_t row = code >> 8, column = code & 0xff;
    return row >= encoding.first && row < encoding.size && column >= encoding.first_col &&
           column < encoding.row_size;
}

}  // namespace

struct CharsetMap::Impl {
    // Code points up to this one are their own Unicode values; none when a
    // map of libfontenc translates them.
    std::uint32_t identity_limit = 0;
    FontMapPtr map = nullptr;  // owned by libfontenc
};

CharsetMap::CharsetMap(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
CharsetMap::~CharsetMap() = default;
CharsetMap::CharsetMap(CharsetMap&&) noexcept = default;
CharsetMap& CharsetMap::operator=(CharsetMap&&) noexcept = default;

std::optional<CharsetMap> CharsetMap::find(std::string_view registry, std::string_view encoding) {
    auto impl = std::make_unique<Impl>();
    if (same_ascii_nocase(registry, "ISO10646") && encoding == "1") {
        impl->identity_limit = 0x10FFFF;
        return CharsetMap(std::move(impl));
    }
    if (same_ascii_nocase(registry, "ISO8859") && encoding == "1") {
        impl->identity_limit = 0xFF;
        return CharsetMap(std::move(impl));
    }
    if (registry.empty() || encoding.empty()) return std::nullopt;
    const std::string name = std::string(registry) + "-" + std::string(encoding);
    const std::lock_guard<std::mutex> hold(fontenc_lock());
    FontEncPtr found = FontEncFind(name.c_str(), nullptr);
    if (!found) return std::nullopt;
    // Most encoding files map to Unicode; those of the CJK charsets give the
    // Windows Unicode cmap (platform 3, encoding 1) instead.
    FontMapPtr map = FontMapFind(found, FONT_ENCODING_UNICODE, -1, -1);
    if (!map) map = FontMapFind(found, FONT_ENCODING_TRUETYPE, 3, 1);
    if (!map) return std::nullopt;
    impl->map = map;
    return CharsetMap(std::move(impl));
}

std::optional<char32_t> CharsetMap::unicode(std::int64_t code) const {
    if (code < 0) return std::nullopt;
    if (!impl_->map) {
        if (static_cast<std::uint64_t>(code) > impl_->identity_limit ||
            !is_scalar_value(static_cast<std::uint64_t>(code)))
            return std::nullopt;
        return static_cast<char32_t>(code);
    }
    const FontEncRec* table = impl_->map->encoding;
    if (table && !in_encoding(*table, code)) return std::nullopt;
    unsigned value = 0;
    {
        const std::lock_guard<std::mutex> hold(fontenc_lock());
        value = FontEncRecode(static_cast<unsigned>(code), impl_->map);
    }
    // libfontenc gives 0 for a code its table leaves undefined.
    if ((value == 0 && code != 0) || !is_scalar_value(value)) return std::nullopt;
    return static_cast<char32_t>(value);
}

}  // namespace glyph::family
