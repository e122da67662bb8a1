#include "slant_section.hpp"

#include <algorithm>
#include <cstring>

#include "hex_rows.hpp"
#include "reference_paths.hpp"
#include "row_runs.hpp"
#include "slant_geometry.hpp"

namespace glyph {
namespace {

std::int64_t slanted_width(const BoxSize& box) {
    return std::int64_t{box.extra} + box.width + (box.widened ? 1 : 0);
}

template <class Mask>
Mask row_mask(std::uint64_t high, std::uint64_t low);
template <>
std::uint64_t row_mask(std::uint64_t high, std::uint64_t) {
    return high;
}
template <>
Bits128 row_mask(std::uint64_t high, std::uint64_t low) {
    return (Bits128{high} << 64) | low;
}

// Row i of the rows kept as bits: its two words (pixel 0 in the top bit of
// `high`, pixel 64 in that of `low`) and the cells it was read as.
void store_bit_row(std::uint64_t* bits, std::uint8_t* read_as, std::size_t i, std::uint64_t high,
                   std::uint64_t low, std::size_t cells) {
    bits[2 * i] = high;
    bits[2 * i + 1] = low;
    read_as[i] = static_cast<std::uint8_t>(cells);
}

// Places a row's pixels (pixel 0 in the top bit of `high`, pixel 64 in that
// of `low`) at pixel `offset` of an all-clear row of `count` words.
void place_pixels(std::uint64_t* words, std::size_t count, std::uint64_t high, std::uint64_t low,
                  std::size_t offset) {
    std::fill(words, words + count, 0);
    for (const std::uint64_t part : {high, low}) {
        const std::size_t word = offset / 64, shift = offset % 64;
        if (part != 0 && word < count) words[word] |= part >> shift;
        if (part != 0 && shift != 0 && word + 1 < count) words[word + 1] |= part << (64 - shift);
        offset += 64;
    }
}

// Keeps the rows of `Bytes` bytes at the start of [first, last) as rows i,
// i + 1, ... (two words each, in `bits`) up to row `stop`, and drops those
// past `height`. A function of its own for each row size, so that its state
// stays in registers.
struct KeptRows {
    std::size_t bytes;  // of the rows taken
    std::size_t rows;   // the rows held now
    bool full;          // stopped at `stop` for want of room
};
template <std::size_t Bytes>
[[gnu::noinline]] KeptRows keep_row_run(const char* first, const char* last, std::uint64_t* bits,
                                        std::size_t i, std::size_t stop, std::size_t height) {
    bool full = false;
    const std::size_t taken = take_row_run<Bytes>(first, last, [&](std::uint64_t row) {
        if (i < stop) {
            bits[2 * i] = row;
            bits[2 * i + 1] = 0;
            ++i;
        } else if (i < height) {  // rows past the height are dropped
            full = true;
            return false;
        }
        return true;
    });
    return {taken, i, full};
}

}  // namespace

SlantSection::SlantSection(const BoxSize& font, const ToolOptions& options, ByteSink& out)
    : out_(out),
      font_(font),
      glyph_(font),
      font_slanted_width_(slanted_width(font)),
      ratio_(options.slant_ratio),
      patterns_(load_slant_patterns(ratio_)),
      masks_(compile_slant_masks(patterns_.data())),
      reference_(reference_paths()) {}

// Held on slanted widths (widened ones as written with -w): a glyph lower
// than the font slants less and may be wider. The sums are taken without
// wrap-around.
bool SlantSection::accepts(const BoxSize& box) const {
    return !box.oversized() && slanted_width(box) <= font_slanted_width_ &&
           box.height <= font_.height;
}

void SlantSection::bitmap_row(const Line& line) {
    if (rows_read_ >= static_cast<std::size_t>(glyph_.height)) return;  // beyond the height
    const std::size_t cells = cells_read_for(glyph_.width);
    if (cells <= MAX_BIT_CELLS && !rows_in_grid_ && !reference_) return keep_row_bits(line, cells);
    if (!rows_in_grid_) move_rows_to_grid();
    grid_.ensure(cells, rows_read_ + 1);
    char text[LINE_BUFFER_SIZE];
    hex_to_cells(grid_, glyph_.width, rows_read_, line.c_str(text));
    ++rows_read_;
}

// Rows of at most 64 cells, the rows of nearly every glyph, straight from the
// block: as bitmap_row takes them, one by one.
std::size_t SlantSection::take_rows(const char* first, const char* last) {
    const std::size_t cells = cells_read_for(glyph_.width);
    if (rows_in_grid_ || reference_ || cells > 64) return 0;
    const std::size_t height = static_cast<std::size_t>(glyph_.height);
    std::size_t taken = 0;
    for (;;) {
        const std::size_t start = rows_read_;
        KeptRows kept{0, start, false};
        with_row_bytes(cells / 8, [&](auto bytes) {
            kept = keep_row_run<bytes>(first + taken, last, row_bits_.data(), start,
                                       std::min(row_cells_.capacity(), height), height);
            return 1;
        });
        taken += kept.bytes;
        if (kept.rows > start)
            std::memset(row_cells_.data() + start, static_cast<int>(cells), kept.rows - start);
        rows_read_ = kept.rows;
        if (!kept.full) return taken;
        grow_rows(kept.rows);
    }
}

// Room for one more row than the `held` ones, and for as many again.
void SlantSection::grow_rows(std::size_t held) {
    row_cells_.reserve(held + 1 > 2 * held ? held + 1 : 2 * held);
    row_bits_.reserve(checked_size(row_cells_.capacity(), 2));
}

void SlantSection::keep_row_bits(const Line& line, std::size_t cells) {
    std::uint64_t words[2] = {0, 0};
    if (cells <= 64)
        words[0] = read_hex_word(line.data, line.size, cells / 4);
    else
        read_hex_row(line.data, line.size, cells / 4, words);
    if (rows_read_ >= row_cells_.capacity()) grow_rows(rows_read_);
    store_bit_row(row_bits_.data(), row_cells_.data(), rows_read_++, words[0], words[1], cells);
}

// A glyph that turns out too wide for the bits continues in the cell grid,
// its rows read so far as the cells the grid would have read them as.
void SlantSection::move_rows_to_grid() {
    std::size_t widest = 0;
    for (std::size_t i = 0; i < rows_read_; ++i)
        widest = std::max<std::size_t>(widest, row_cells_[i]);
    grid_.ensure(widest, rows_read_);
    for (std::size_t i = 0; i < rows_read_; ++i)
        bits_to_cells(grid_, i, row_bits_[2 * i], row_bits_[2 * i + 1], row_cells_[i]);
    rows_in_grid_ = true;
}

void SlantSection::end_glyph() {
    const std::int32_t w = glyph_.width, h = glyph_.height;
    const std::size_t slanted =
        static_cast<std::size_t>(w) + static_cast<std::size_t>(glyph_.extra);
    grid_.ensure(std::max(cells_read_for(w), slanted), static_cast<std::size_t>(h));
    if (rows_in_grid_ || reference_ || w > BitCorrection<Bits128>::MAX_WIDTH) {
        if (!rows_in_grid_) move_rows_to_grid();
        slant_cells();
    } else if (w <= BitCorrection<std::uint64_t>::MAX_WIDTH) {
        slant_bits(narrow_);
    } else {
        slant_bits(wide_);
    }
    rows_read_ = 0;  // a later ENDCHAR without BITMAP gets clear rows
    rows_in_grid_ = false;
}

void SlantSection::slant_cells() {
    const std::int32_t w = glyph_.width, h = glyph_.height;
    clear_missing_cells(grid_, w, rows_read_, static_cast<std::size_t>(h));
    correct_slant_pixels(grid_, patterns_.data(), w, h, ratio_, glyph_.phase);
    shift_slant_rows(grid_, w, h, ratio_, glyph_.phase);
    write_rows(grid_, std::int64_t{glyph_.extra} + w, h);
}

// The bit path: rows not supplied are clear, as on the cell path; after the
// correction each row moves right by its band's offset, the top band by the
// slant extra, into a row w + extra pixels wide.
template <class Mask>
void SlantSection::slant_bits(BitCorrection<Mask>& correction) {
    const std::int32_t w = glyph_.width, h = glyph_.height;
    const std::size_t n = static_cast<std::size_t>(h), supplied = rows_read_;
    const std::uint64_t* bits = row_bits_.data();
    if (supplied >= n)  // every row supplied, as nearly always
        correction.load(
            [bits](std::size_t i) { return row_mask<Mask>(bits[2 * i], bits[2 * i + 1]); }, w, h);
    else
        correction.load(
            [bits, supplied](std::size_t i) {
                return i < supplied ? row_mask<Mask>(bits[2 * i], bits[2 * i + 1]) : Mask{0};
            },
            w, h);
    correction.correct_loaded(masks_, ratio_, glyph_.phase);

    const RowBands bands(ratio_, glyph_.phase);
    const std::size_t extra = static_cast<std::size_t>(glyph_.extra);
    const std::size_t width = static_cast<std::size_t>(w) + extra;
    if constexpr (MASK_BITS<Mask> == 64) {
        // Each band one pixel less far right than the band above, the top
        // band `extra` pixels (< 64).
        if (width < 64)
            return write_slanted_words({correction.corrected_rows(), extra, bands}, n, width);
    }
    const std::size_t words = std::max<std::size_t>(1, (width + 63) / 64);
    slanted_.reserve(checked_size(n, words));
    std::uint64_t* out = slanted_.data();
    const auto corrected = correction.corrected_rows();
    for (std::size_t i = 0; i < n; ++i, out += words) {
        const std::size_t offset = extra - bands.band(i);
        const Mask row = corrected(i);
        if constexpr (MASK_BITS<Mask> == 64) {
            place_pixels(out, words, row, 0, offset);
        } else {
            place_pixels(out, words, static_cast<std::uint64_t>(row >> 64),
                         static_cast<std::uint64_t>(row), offset);
        }
    }
    write_bit_rows(slanted_.data(), n, words, width);
}

}  // namespace glyph
