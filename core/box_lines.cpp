#include "box_lines.hpp"

#include <cstring>

namespace glyph {

bool read_box_fields(const Line& line, BoxFields& fields) {
    FieldScanner scan(line.text());
    return scan.token(fields.keyword, 15) && scan.unsigned_field(fields.width) &&
           scan.unsigned_field(fields.height) && scan.signed_field(fields.x) &&
           scan.signed_field(fields.y);
}

void write_box_line(HookOutput& out, std::string_view keyword, std::uint64_t width,
                    std::uint32_t height, std::int32_t x, std::int32_t y) {
    // 15 characters of keyword and at most 20 a number fit the buffer.
    char* p = out.data;
    std::memcpy(p, keyword.data(), keyword.size());
    p += keyword.size();
    for (const std::int64_t field : {static_cast<std::int64_t>(width), std::int64_t{height},
                                     std::int64_t{x}, std::int64_t{y}}) {
        *p++ = ' ';
        p = put_decimal(p, field);
    }
    *p++ = '\n';
    out.text = {out.data, static_cast<std::size_t>(p - out.data)};
}

void widen_box(BoxSize& box, Widening side, std::uint64_t& width, std::int32_t& x) {
    if (side == Widening::none || box.width == 0 || box.height == 0) return;
    box.widened = true;
    width += 1;
    if (width > 0x7fffffffu) box.width_oversized = true;
    if (side == Widening::left) x = static_cast<std::int32_t>(static_cast<std::uint32_t>(x) - 1u);
}

namespace {

bool read_bbx_widened(HookOutput& out, BoxSize& box, const Line& line, Widening side) {
    BoxFields f;
    if (!read_box_fields(line, f)) return false;
    // The line is rewritten from its numbers, so one that no box may have is
    // unreadable here, as the slanting tools find it: written back, it would
    // be a wrapped number the font never held.
    if (f.width.oversized || f.height.oversized) return false;
    box.width = static_cast<std::int32_t>(f.width.value);
    box.height = static_cast<std::int32_t>(f.height.value);
    box.width_oversized = f.width.oversized;
    box.height_oversized = f.height.oversized;
    box.widened = false;
    std::uint64_t width = f.width.value;
    std::int32_t x = f.x;
    widen_box(box, side, width, x);
    if (box.widened)
        write_box_line(out, f.keyword, width, f.height.value, x, f.y);
    else
        out.text = line.view();  // as without -w
    return true;
}

}  // namespace

bool read_bbx_widened_left(HookOutput& out, BoxSize& box, std::int32_t, const Line& line) {
    return read_bbx_widened(out, box, line, Widening::left);
}

bool read_bbx_widened_right(HookOutput& out, BoxSize& box, std::int32_t, const Line& line) {
    return read_bbx_widened(out, box, line, Widening::right);
}

}  // namespace glyph
