#include "sfnt_file.hpp"

#include <algorithm>

#include "font_buffer.hpp"

namespace glyph::otb {
namespace {

constexpr std::int64_t TRUETYPE_OUTLINES = 0x00010000;  // what bitmap-only files declare
constexpr std::uint32_t CHECKSUM_MAGIC = 0xB1B0AFBA;
constexpr std::size_t HEAD_CHECKSUM_ADJUSTMENT = 8;

}  // namespace

std::vector<std::uint8_t> sfnt_file(std::vector<Table> tables) {
    std::sort(tables.begin(), tables.end(),
              [](const Table& a, const Table& b) { return a.tag < b.tag; });
    const auto count = static_cast<std::int64_t>(tables.size());
    std::int64_t power = 1, log2 = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log2;
    }
    std::size_t total = 12 + 16 * tables.size();
    for (const Table& table : tables)
        total += (table.data.size() + 3) / 4 * 4;

    FontBuffer out;
    out.reserve(total);
    out.u32(TRUETYPE_OUTLINES);
    out.u16(count);
    out.u16(16 * power);
    out.u16(log2);
    out.u16(16 * count - 16 * power);
    std::vector<std::size_t> offset_fields;
    for (const Table& table : tables) {
        out.tag(table.tag);
        out.u32(checksum(table.data));
        offset_fields.push_back(out.reserve32());
        out.u32(static_cast<std::int64_t>(table.data.size()));
    }
    std::size_t head_at = 0;
    for (std::size_t i = 0; i < tables.size(); ++i) {
        if (tables[i].tag == "head") head_at = out.size();
        out.patch32(offset_fields[i], static_cast<std::int64_t>(out.size()));
        out.bytes(tables[i].data);
        out.align(4);
    }
    if (head_at != 0)
        out.patch32(head_at + HEAD_CHECKSUM_ADJUSTMENT,
                    std::uint32_t{CHECKSUM_MAGIC - checksum(out.data())});
    return out.take();
}

}  // namespace glyph::otb
