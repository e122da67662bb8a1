// BdfFont's property look-ups for the writer's tests on a tree where the
// whole-font reader is not built yet; left out as soon as it is.
#include <charconv>

#include "bdf_font.hpp"

namespace glyph::family {

const BdfProperty* BdfFont::property(std::string_view wanted) const {
    for (const BdfProperty& p : properties)
        if (p.name == wanted) return &p;
    return nullptr;
}

std::string BdfFont::text(std::string_view wanted) const {
    const BdfProperty* p = property(wanted);
    return p ? p->value : std::string();
}

std::optional<std::int64_t> BdfFont::integer(std::string_view wanted) const {
    const BdfProperty* p = property(wanted);
    if (p == nullptr || p->quoted) return std::nullopt;
    std::int64_t value = 0;
    const char* end = p->value.data() + p->value.size();
    const auto [next, error] = std::from_chars(p->value.data(), end, value);
    if (error != std::errc() || next != end) return std::nullopt;
    return value;
}

}  // namespace glyph::family
