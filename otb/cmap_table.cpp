#include "cmap_table.hpp"

#include "font_buffer.hpp"

namespace glyph::otb {
namespace {

// A run of consecutive code points, which the glyph order makes a run of
// consecutive glyph ids too.
struct Run {
    char32_t first = 0, last = 0;
    std::int64_t glyph = 0;
};

std::vector<Run> runs_of(const std::vector<char32_t>& codes) {
    std::vector<Run> runs;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (!runs.empty() && runs.back().last + 1 == codes[i])
            runs.back().last = codes[i];
        else
            runs.push_back({codes[i], codes[i], static_cast<std::int64_t>(i) + 1});
    }
    return runs;
}

// Format 4's length is a 16-bit field, which holds some 8000 segments. A
// font with more runs in the BMP than that keeps the first ones here; the
// format 12 subtable, which clients prefer when it is there, has them all.
constexpr std::size_t MAX_SEGMENTS = (0xFFFF - 16) / 8;

void put_format4(FontBuffer& out, const std::vector<Run>& runs) {
    std::vector<Run> segments;
    for (const Run& run : runs) {
        if (segments.size() + 1 >= MAX_SEGMENTS || run.first > 0xFFFE) break;
        Run segment = run;
        if (segment.last > 0xFFFE) segment.last = 0xFFFE;
        segments.push_back(segment);
    }
    segments.push_back({0xFFFF, 0xFFFF, 0x10000});  // the closing segment: glyph 0
    const auto count = static_cast<std::int64_t>(segments.size());
    std::int64_t power = 1, log2 = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log2;
    }
    out.u16(4);
    out.u16(16 + 8 * count);
    out.u16(0);  // language
    out.u16(2 * count);
    out.u16(2 * power);
    out.u16(log2);
    out.u16(2 * count - 2 * power);
    for (const Run& s : segments)
        out.u16(s.last);
    out.u16(0);
    for (const Run& s : segments)
        out.u16(s.first);
    for (const Run& s : segments)  // idDelta, modulo 65536
        out.u16((s.glyph - static_cast<std::int64_t>(s.first)) & 0xFFFF);
    for (std::size_t i = 0; i < segments.size(); ++i)
        out.u16(0);  // idRangeOffset
}

void put_format12(FontBuffer& out, const std::vector<Run>& runs) {
    out.u16(12);
    out.u16(0);
    out.u32(16 + 12 * static_cast<std::int64_t>(runs.size()));
    out.u32(0);  // language
    out.u32(static_cast<std::int64_t>(runs.size()));
    for (const Run& run : runs) {
        out.u32(run.first);
        out.u32(run.last);
        out.u32(run.glyph);
    }
}

}  // namespace

std::vector<std::uint8_t> cmap_table(const std::vector<char32_t>& codes) {
    const std::vector<Run> runs = runs_of(codes);
    FontBuffer out;
    // (platform, encoding) in the order the records must be sorted; the
    // Unicode platform's BMP and full-repertoire encodings share the
    // subtables of the Windows ones.
    struct Record {
        int platform, encoding;
        bool full;
    };
    const Record records[] = {{0, 3, false}, {0, 4, true}, {3, 1, false}, {3, 10, true}};
    out.u16(0);
    out.u16(std::size(records));
    std::size_t format4_at[2], format12_at[2];
    std::size_t n4 = 0, n12 = 0;
    for (const Record& r : records) {
        out.u16(r.platform);
        out.u16(r.encoding);
        (r.full ? format12_at[n12++] : format4_at[n4++]) = out.reserve32();
    }
    const auto format4 = static_cast<std::int64_t>(out.size());
    put_format4(out, runs);
    out.align(4);
    const auto format12 = static_cast<std::int64_t>(out.size());
    put_format12(out, runs);
    for (std::size_t i = 0; i < 2; ++i) {
        out.patch32(format4_at[i], format4);
        out.patch32(format12_at[i], format12);
    }
    return out.take();
}

}  // namespace glyph::otb
