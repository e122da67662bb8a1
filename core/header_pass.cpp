#include "header_pass.hpp"

#include <algorithm>
#include <string>

#include "failure.hpp"
#include "text_scan.hpp"

namespace glyph {
namespace {

// The renaming texts the pass builds from the rules before reading.
struct RenameTexts {
    std::string font_pattern, font_replacement;
    std::string slant_pattern, slant_replacement;
};

std::string cut(const char* text, std::size_t n) {
    return std::string(text).substr(0, n);
}

std::string quoted(const std::string& text) {
    std::string q(1, '"');
    q += text;
    q += '"';
    return q;
}

RenameTexts build_texts(const HeaderRules& rules) {
    const char* old_weight = rules.old_weight ? rules.old_weight : "";
    const char* new_weight = rules.old_weight ? rules.new_weight : "";
    RenameTexts t;
    t.font_pattern = cut(old_weight, 11) + '-';
    t.font_replacement = cut(new_weight, 11) + '-';
    if (rules.old_slant) {
        t.font_pattern += cut(rules.old_slant, 2) + '-';
        t.font_replacement += cut(rules.new_slant, 2) + '-';
        t.slant_pattern = quoted(cut(rules.old_slant, 2));
        t.slant_replacement = quoted(cut(rules.new_slant, 2));
    }
    if (rules.font_pattern) {
        t.font_pattern = rules.font_pattern;
        t.font_replacement = rules.font_replacement;
    }
    return t;
}

void write_replaced(ByteSink& out, const Line& line, std::string_view pattern,
                    std::string_view replacement) {
    if (pattern.empty()) {  // nothing to find: the line stays as it is
        out.put(line.view());
        return;
    }
    if (replacement.size() <= pattern.size()) {  // every rule of the tools: never longer
        char rewritten[LINE_BUFFER_SIZE];
        out.put(rewritten, replace_all_nocase(rewritten, line.view(), pattern, replacement));
        return;
    }
    std::string grown(line.size / pattern.size() * replacement.size() + line.size + 1, '\0');
    out.put(grown.data(), replace_all_nocase(grown.data(), line.view(), pattern, replacement));
}

std::int32_t chars_count(const Line& line) {
    std::string_view text = line.text();
    return text.size() > 6 ? leading_int32(text.substr(6)) : 0;
}

}  // namespace

std::size_t replace_all_nocase(char* dest, std::string_view source, std::string_view pattern,
                               std::string_view replacement) {
    std::size_t out = 0, copied_to = 0, pos = 0;
    while (!pattern.empty() && pos + pattern.size() <= source.size()) {
        std::size_t k = 0;
        while (k < pattern.size() && to_lower_ascii(source[pos + k]) == to_lower_ascii(pattern[k]))
            ++k;
        if (k < pattern.size()) {
            ++pos;
            continue;
        }
        std::memcpy(dest + out, source.data() + copied_to, pos - copied_to);
        out += pos - copied_to;
        std::memcpy(dest + out, replacement.data(), replacement.size());
        out += replacement.size();
        pos += pattern.size();
        copied_to = pos;
    }
    std::memcpy(dest + out, source.data() + copied_to, source.size() - copied_to);
    out += source.size() - copied_to;
    dest[out] = '\0';
    return out;
}

bool read_bbx_size(HookOutput& out, BoxSize& box, std::int32_t, const Line& line) {
    FieldScanner scan(line.text());
    UnsignedField width, height;
    if (!scan.skip_token() || !scan.unsigned_field(width) || !scan.unsigned_field(height))
        return false;
    box.width = static_cast<std::int32_t>(width.value);
    box.height = static_cast<std::int32_t>(height.value);
    box.width_oversized = width.oversized;
    box.height_oversized = height.oversized;
    out.text = line.view();  // the line stays as it is
    return true;
}

HeaderResult run_header_pass(LineReader& input, ByteSink& out, const HeaderRules& rules) {
    const RenameTexts texts = build_texts(rules);
    HookOutput hook_out;
    Line line;
    while (input.next(line)) {
        std::string_view keyword = line_keyword(line.text());
        if (keyword == "FONT") {
            write_replaced(out, line, texts.font_pattern, texts.font_replacement);
        } else if (keyword == "WEIGHT_NAME" && rules.old_weight) {
            write_replaced(out, line, rules.old_weight, rules.new_weight);
        } else if (keyword == "SLANT" && rules.old_slant) {
            write_replaced(out, line, texts.slant_pattern, texts.slant_replacement);
        } else if (keyword == "FONTBOUNDINGBOX") {
            BoxSize box = *rules.font_box;
            if (!rules.bbx_hook(hook_out, box, rules.slant_ratio, line) || box.oversized())
                throw BadLine(BadLine::Kind::bounding_box, std::string(line.view()));
            *rules.font_box = box;
            out.put(hook_out.view());
        } else if (keyword == "CHARS") {
            out.put(line.view());
            std::int32_t count = chars_count(line);
            if (count < 0) throw BadLine(BadLine::Kind::glyph_count, std::string(line.view()));
            return {HeaderResult::End::chars, count};
        } else {
            out.put(line.view());
        }
    }
    return {HeaderResult::End::no_chars, 0};
}

}  // namespace glyph
