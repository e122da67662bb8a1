#include "bdf_table.hpp"

#include <charconv>
#include <map>
#include <optional>
#include <string>

#include "font_buffer.hpp"

namespace glyph::otb {
namespace {

// Value types; 0x10 marks an entry as in use.
constexpr std::int64_t STRING = 0x10, INTEGER = 0x12;

// The number of an unquoted value that a 32-bit integer holds; a word that
// is no number is kept as a string.
std::optional<std::int64_t> integer_value(const family::BdfProperty& property) {
    if (property.quoted) return std::nullopt;
    std::int64_t value = 0;
    const char* end = property.value.data() + property.value.size();
    const auto [next, error] = std::from_chars(property.value.data(), end, value);
    if (error != std::errc() || next != end || value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return value;
}

// Zero-terminated texts, each once, by offset from the start of the area.
class StringArea {
  public:
    std::int64_t offset(const std::string& text) {
        const auto [it, added] = offsets_.try_emplace(text, next_);
        if (added) {
            texts_.push_back(&it->first);
            next_ += static_cast<std::int64_t>(text.size()) + 1;
        }
        return it->second;
    }
    void write(FontBuffer& out) const {
        for (const std::string* text : texts_) {
            out.bytes({reinterpret_cast<const std::uint8_t*>(text->data()), text->size()});
            out.u8(0);
        }
        if (texts_.empty()) out.u8(0);  // the reader wants at least one byte here
    }

  private:
    std::map<std::string, std::int64_t> offsets_;
    std::vector<const std::string*> texts_;
    std::int64_t next_ = 0;
};

// FONT is no property in BDF, but X servers and PCF files list it as one.
std::vector<family::BdfProperty> properties_of(const family::BdfFont& font) {
    std::vector<family::BdfProperty> properties;
    if (font.property("FONT") == nullptr) properties.push_back({"FONT", font.name, true});
    for (const family::BdfProperty& property : font.properties)
        if (!property.name.empty() && property.name.find('\0') == std::string::npos)
            properties.push_back(property);
    return properties;
}

}  // namespace

std::vector<std::uint8_t> bdf_table(const std::vector<StrikeImages>& strikes) {
    FontBuffer out;
    out.u16(1);  // version
    out.u16(static_cast<std::int64_t>(strikes.size()));
    const std::size_t strings_at = out.reserve32();
    std::vector<std::vector<family::BdfProperty>> all;
    for (const StrikeImages& strike : strikes) {
        all.push_back(properties_of(*strike.font));
        out.u16(strike.ppem);
        out.u16(static_cast<std::int64_t>(all.back().size()));
    }
    StringArea strings;
    for (const auto& properties : all) {
        for (const family::BdfProperty& property : properties) {
            out.u32(strings.offset(property.name));
            if (const auto number = integer_value(property)) {
                out.u16(INTEGER);
                out.u32(*number & 0xFFFFFFFF);
            } else {
                std::string text = property.value;
                text = text.substr(0, text.find('\0'));
                out.u16(STRING);
                out.u32(strings.offset(text));
            }
        }
    }
    out.patch32(strings_at, static_cast<std::int64_t>(out.size()));
    strings.write(out);
    return out.take();
}

}  // namespace glyph::otb
