// From a font's own encoding to Unicode, through the X font encodings that
// the system knows (their files are read by libfontenc).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

namespace glyph::family {

class CharsetMap {
  public:
    // The map of a charset ("ISO10646", "1"), or nothing when the system
    // knows no mapping of it to Unicode ("Adobe", "FontSpecific").
    static std::optional<CharsetMap> find(std::string_view registry, std::string_view encoding);

    // The Unicode code point of a glyph's ENCODING, or nothing when the code
    // has none in this charset.
    std::optional<char32_t> unicode(std::int64_t code) const;

    ~CharsetMap();
    CharsetMap(CharsetMap&&) noexcept;
    CharsetMap& operator=(CharsetMap&&) noexcept;

  private:
    struct Impl;
    explicit CharsetMap(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace glyph::family
